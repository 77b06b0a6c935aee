#pragma once

#include <QString>
#include <optional>

// The first failed check of a dialog: the message shown and the object name
// of the control that gets the focus.
struct TValidationFailure {
    QString Message;
    QString Control;

    bool operator==(const TValidationFailure&) const = default;
};
using TValidationResult = std::optional<TValidationFailure>;
