#pragma once

#include <QtGlobal>
#include <optional>

namespace platform {

// The colour chooser. Colours are Windows colour values: red in the low byte,
// then green, then blue. Returns no value when the user cancelled.
class ColourChooser {
public:
    virtual ~ColourChooser() = default;
    virtual std::optional<qint32> ShowColor() = 0;
};

}  // namespace platform
