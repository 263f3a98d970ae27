#include "options/HostCalls.h"

#include <QMetaMethod>
#include <QObject>
#include <QVarLengthArray>

#include "platform/RuntimeError.h"

namespace options {

namespace {

// A parameter that can take a QString: by value, by const or by plain
// reference (normalized signatures spell these "QString" and "QString&").
bool TakesText(const QMetaMethod& method, int index) {
    const QByteArray type = method.parameterTypeName(index);
    return type == "QString" || type == "QString&";
}

int FindOperation(const QMetaObject& meta, const char* name, int count) {
    // From the most derived class down, as a late-bound call by name finds
    // the host's own operation first.
    for (int i = meta.methodCount() - 1; i >= 0; --i) {
        const QMetaMethod method = meta.method(i);
        if (method.name() != name || method.parameterCount() != count)
            continue;
        bool texts = true;
        for (int p = 0; p < count && texts; ++p) texts = TakesText(method, p);
        if (texts)
            return i;
    }
    return -1;
}

}  // namespace

void CallHost(QObject& host, const char* name, std::initializer_list<QString*> texts) {
    const int count = static_cast<int>(texts.size());
    const int index = FindOperation(*host.metaObject(), name, count);
    if (index < 0)
        throw platform::RuntimeError::NotSupported();
    // The meta-call takes one pointer per argument after the (unused)
    // result: the strings themselves, which is what passes them by reference.
    QVarLengthArray<void*, 4> arguments;
    arguments.append(nullptr);
    for (QString* text : texts) arguments.append(text);
    QMetaObject::metacall(&host, QMetaObject::InvokeMetaMethod, index, arguments.data());
}

}  // namespace options
