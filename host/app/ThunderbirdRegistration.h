#pragma once

#include <QString>

namespace host::app {

// What registering with Thunderbird did, in words for the terminal, and
// whether it worked.
struct ThunderbirdRegistration {
    bool registered = false;
    QString text;
};

// Registers the Chasewell host with Thunderbird for this user: writes the
// native-messaging manifest (<home>/.mozilla/native-messaging-hosts/<host
// name>.json) that names hostProgram, so that the Chasewell extension can
// start it, and says where the extension package is and what to do next.
//
// Registering again is harmless. A manifest of the same name left by
// Chasewell elsewhere (another build or install) is replaced, and the text
// says what it named before; one that names another program, or that cannot
// be read as a manifest, is never overwritten: the text says whose it is and
// how to go on. A host program that is not there is refused; a failed write
// says which file and why.
ThunderbirdRegistration RegisterThunderbird(const QString& home, const QString& hostProgram,
                                            const QString& extensionPackage);

// The host program and the extension package of this program: beside it or
// in its private library folder, and in share/chasewell beside its bin.
QString ThunderbirdHostProgram();
QString ThunderbirdExtensionPackage();

}  // namespace host::app
