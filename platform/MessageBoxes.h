#pragma once

#include <QString>

namespace platform {

// Message boxes with an OK button only. Show returns once the user closed it.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void Show(const QString& text, const QString& title) = 0;
};

}  // namespace platform
