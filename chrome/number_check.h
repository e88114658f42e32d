// The check of a number typed into a field against the bounds of its stored setting.
#pragma once

#include "store/settings_keys.h"

#include <QString>

namespace vorlex::chrome {

struct NumberCheck {
    enum class Result { ok, notANumber, outOfRange };
    Result result = Result::notANumber;
    int value = 0; ///< the number typed, when it is one
};

/// @p text as a base-10 integer (spaces around it allowed) within @p setting's bounds.
[[nodiscard]] inline NumberCheck checkNumber(const QString& text,
                                             const store::IntSetting& setting) {
    NumberCheck check;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return check;
    check.value = value;
    check.result =
        setting.bounded(value) == value ? NumberCheck::Result::ok : NumberCheck::Result::outOfRange;
    return check;
}

} // namespace vorlex::chrome
