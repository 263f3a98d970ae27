#pragma once

#include <QString>
#include <utility>
#include <vector>

// The fields of a received message's header (the transport message headers
// the mail helper library gives), in order, each as its name and its value
// with folded lines joined by one blank and the blanks around it removed.
// The header ends at its first empty line: nothing after it is read. Lines
// without a colon are skipped. Both CR LF and LF line ends are read.
std::vector<std::pair<QString, QString>> HeaderFields(const QString& headers);

// Whether a field's name is name, letter case aside (header names are).
bool IsField(const QString& field, const char* name);
