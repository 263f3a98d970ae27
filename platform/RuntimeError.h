#pragma once

#include <QString>
#include <exception>
#include <string>

namespace platform {

// The error every seam and every add-in operation throws. Error reports embed
// the description, so the descriptions read like the original runtime's
// ("Type mismatch", "Overflow", ...). The number is kept for callers that
// need to tell errors apart; reports never show it.
class RuntimeError : public std::exception {
public:
    RuntimeError(int number, QString description);

    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_utf8.c_str(); }

    static RuntimeError InvalidProcedureCall();  // 5
    static RuntimeError Overflow();              // 6
    static RuntimeError SubscriptOutOfRange();   // 9
    static RuntimeError TypeMismatch();          // 13
    static RuntimeError FileNotFound();          // 53
    static RuntimeError DeviceIOError();         // 57
    static RuntimeError PermissionDenied();      // 70
    static RuntimeError PathNotFound();          // 76
    static RuntimeError ObjectNotSet();          // 91
    static RuntimeError CantCreateObject();      // 429
    static RuntimeError NotSupported();          // 438
    static RuntimeError CancelError();           // 32755, the colour chooser's cancel

private:
    int m_number;
    QString m_description;
    std::string m_utf8;
};

// Description of the exception being handled; call only inside a catch block.
// A RuntimeError gives its description, any other std::exception its what(),
// anything else "Unknown error".
QString CurrentErrorDescription();

}  // namespace platform
