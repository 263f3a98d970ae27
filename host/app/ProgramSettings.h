#pragma once

#include <QString>

namespace host::app {

// The program's own settings, apart from the add-in's: application name
// "Chasewell" in the settings store (platform::Settings()), so the file is
// $XDG_CONFIG_HOME/Chasewell.ini (in scripted mode, in the data folder).
inline const QString kProgramSettingsName = QStringLiteral("Chasewell");

// The Maildir tree the user chose last with --maildir; empty for the
// program's own mailbox in the data folder (the sample mailbox).
QString RememberedMaildir();
// Remembers the choice (empty: the own mailbox). Throws platform::RuntimeError
// when the settings cannot be written.
void RememberMaildir(const QString& maildir);

// The sendmail command messages are delivered through (see
// SendmailTransport); empty when none was given.
QString SendmailCommand();
// Remembers it (empty forgets it). Throws platform::RuntimeError when the
// settings cannot be written.
void RememberSendmailCommand(const QString& command);

// The address on the From line of sent messages; empty when none was given
// (the mailbox's placeholder address is used then).
QString FromAddress();
// Remembers it (empty forgets it). Throws platform::RuntimeError when the
// settings cannot be written.
void RememberFromAddress(const QString& address);
// Whether `address` can stand as a From address: one plain address
// (local@domain), nothing around it that would make a header of its own.
bool IsPlainAddress(const QString& address);

// The calendar file exported to last, for the file dialog; empty when none.
QString LastCalendarFile();
// Remembers it; a settings file that cannot be written only loses the hint.
void RememberCalendarFile(const QString& path);

}  // namespace host::app
