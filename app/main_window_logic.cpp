#include "app/main_window_logic.h"

#include "store/settings_keys.h"

#include <cerrno>

namespace vorlex::app {

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

MainText saveFailureReason(int code) {
    switch (code) {
    case EACCES:
    case EPERM:
    case EROFS:
        return MainText::settingsReadOnly;
    case ENOSPC:
    case EDQUOT:
        return MainText::settingsDiskFull;
    case EWOULDBLOCK:
        return MainText::settingsLocked;
    case EISDIR:
        return MainText::settingsIsFolder;
    default:
        return MainText::settingsWriteFailed;
    }
}

} // namespace vorlex::app
