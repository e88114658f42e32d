#include "setup/settings_values.h"

#include "store/settings_keys.h"

namespace vorlex::setup {

PrecisionCheck checkPrecision(const QString& text) {
    PrecisionCheck check;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        return check;
    check.value = value;
    check.result = store::kPrecision.bounded(value) == value ? PrecisionCheck::Result::ok
                                                             : PrecisionCheck::Result::outOfRange;
    return check;
}

} // namespace vorlex::setup
