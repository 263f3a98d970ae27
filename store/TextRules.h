#pragma once

#include <QStringView>

namespace store {

// Leading and trailing blanks (U+0020 only, as the original's Trim) removed;
// tabs and other white space stay.
QStringView TrimSpaces(QStringView text);

}  // namespace store
