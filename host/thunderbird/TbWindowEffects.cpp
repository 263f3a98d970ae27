#include "host/thunderbird/TbWindowEffects.h"

namespace host::thunderbird {

void TbWindowEffects::SendKeys(QWidget* window, const QString& keys, bool wait) {
    if (keys == QLatin1String("^{ENTER}") && onSendShortcut && onSendShortcut())
        return;
    m_windows.SendKeys(window, keys, wait);
}

}  // namespace host::thunderbird
