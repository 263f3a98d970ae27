#pragma once

// What the readers and writers of message files share about GMime. Include
// it before any Qt header: GLib's headers use "signals" as a name, which Qt
// defines as a keyword (the library is also built with QT_NO_KEYWORDS).
#include <gmime/gmime.h>

#include <QByteArray>
#include <QString>

namespace host::maildir {

// Initialises GMime the first time it is called.
void InitGMime();

// Owns one GObject reference.
template <class T>
struct Ref {
    T* p = nullptr;
    explicit Ref(T* object) : p(object) {}
    ~Ref() {
        if (p)
            g_object_unref(p);
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
};

inline QString FromUtf8(const char* text) {
    return text ? QString::fromUtf8(text) : QString();
}

// A message parsed from bytes; no object when they hold none. The bytes must
// outlive the message.
GMimeMessage* ParseMessage(const QByteArray& bytes);

// The header (up to its empty line) with every field cut to
// kMaxHeaderFieldBytes and the whole to kMaxHeaderBytes (later fields
// dropped); shortened says whether anything was cut.
QByteArray CapHeader(const QByteArray& header, bool& shortened);

}  // namespace host::maildir
