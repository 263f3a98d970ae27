#pragma once

// Calls on the page's host, made late-bound by operation name through Qt's
// meta-object system, so any QObject that has the operation will do: a slot,
// a signal or a Q_INVOKABLE method, whatever its class.

#include <QString>
#include <initializer_list>

class QObject;

namespace options {

// Calls the host's operation `name` with the texts, in order. Each text is
// passed by reference: an operation declared with QString& parameters gets
// the caller's own strings and may change them; one declared with QString or
// const QString& gets them to read. The call is direct, on this thread.
//
// Fails with "Object doesn't support this property or method" when the host
// has no operation of that name taking exactly that many texts.
void CallHost(QObject& host, const char* name, std::initializer_list<QString*> texts);

}  // namespace options
