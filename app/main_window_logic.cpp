#include "app/main_window_logic.h"

#include "store/settings_keys.h"

namespace vorlex::app {

VariantLimitCheck checkVariantLimit(const QString& text) {
    VariantLimitCheck check;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return check;
    check.value = value;
    check.result = store::kTotalShow.bounded(value) == value
                       ? VariantLimitCheck::Result::ok
                       : VariantLimitCheck::Result::outOfRange;
    return check;
}

MainText noWordsMessage(SourceKind kind) {
    switch (kind) {
    case SourceKind::clipboard:
        return MainText::clipboardNoWords;
    case SourceKind::chosenFile:
        return MainText::fileNoWords;
    case SourceKind::droppedFile:
        return MainText::droppedNoWords;
    case SourceKind::commandLineFile:
        return MainText::commandLineNoWords;
    }
    return MainText::fileNoWords;
}

MainText readFailedMessage(SourceKind kind) {
    switch (kind) {
    case SourceKind::clipboard:
        return MainText::clipboardReadFailed;
    case SourceKind::chosenFile:
    case SourceKind::droppedFile:
        return MainText::fileReadFailed;
    case SourceKind::commandLineFile:
        return MainText::commandLineReadFailed;
    }
    return MainText::fileReadFailed;
}

} // namespace vorlex::app
