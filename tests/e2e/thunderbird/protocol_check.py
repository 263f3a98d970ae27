"""Checks a message against thunderbird/protocol.json, as both real peers do:
the stub host of the end-to-end harness checks every message the extension
sends it, so a round in the real Thunderbird also proves the extension speaks
the protocol. A second reading of the file, independent of the extension's.
"""
import json


class Protocol:
    def __init__(self, path):
        with open(path, encoding="utf-8") as f:
            self.agreed = json.load(f)
        self.version = self.agreed["version"]

    def check_to_host(self, message):
        """None when the message (sent by the extension) fits, else what is wrong."""
        return self._check(self.agreed["toHost"], message)

    def check_result_to_host(self, kind, reply):
        """The extension's ok reply to a host request of this kind."""
        return self._fields(f"the reply to {kind}", "", self.agreed["toExtension"][kind].get("result", {}), reply)

    def _check(self, table, message):
        if not isinstance(message, dict):
            return "not a JSON object"
        kind = message.get("kind")
        if not isinstance(kind, str) or kind not in table:
            return f"unknown kind {kind!r}"
        entry = table[kind]
        if entry.get("request") and not _is_int(message.get("id")):
            return f"{kind} has no whole-number id"
        return self._fields(kind, "", entry["fields"], message)

    def _fields(self, where, path, fields, obj):
        for name, type_ in fields.items():
            problem = self._value(where, path + name, type_, obj.get(name))
            if problem:
                return problem
        return None

    def _value(self, where, path, type_, value):
        if type_.endswith("?"):
            if value is None:
                return None
            type_ = type_[:-1]
        elif value is None:
            return f"{where}: {path} is missing or null"
        if type_.endswith("[]"):
            if not isinstance(value, list):
                return f"{where}: {path} is not an array"
            for i, item in enumerate(value):
                problem = self._value(where, f"{path}[{i}]", type_[:-2], item)
                if problem:
                    return problem
            return None
        simple = {"string": lambda v: isinstance(v, str), "integer": _is_int,
                  "boolean": lambda v: isinstance(v, bool)}
        if type_ in simple:
            return None if simple[type_](value) else f"{where}: {path} is not a {type_}"
        named = self.agreed["types"][type_]
        if not isinstance(value, dict):
            return f"{where}: {path} is not an object"
        if "fields" in named:
            return self._fields(where, path + ".", named["fields"], value)
        for key, item in value.items():
            problem = self._value(where, f"{path}.{key}", named["values"], item)
            if problem:
                return problem
        return None


def _is_int(value):
    return isinstance(value, int) and not isinstance(value, bool)
