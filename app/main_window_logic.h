// What the main window decides without a window: its switches as read at start, the check of
// the maximum-variants field, and which message belongs to which kind of source.
#pragma once

#include "app/main_window_texts.h"
#include "store/settings_store.h"

#include <QString>
#include <string>

namespace vorlex::app {

/// The settings the main window reads at start, in the order it reads them.
struct MainSwitches {
    int language = 1;
    int totalShow = 20;
    int precision = 7;
    int showNoAutoRecoding = 0;
    int showWrongClipboardFormat = 0;
    int autoRecode = 1;
    int autoRecodeFile = 1;
    int autoRecodeClipboard = 1;
    int saveLastScheme = 1;
    int showPreviewOnDoubleClick = 0;
    int setClipboardViewer = 1;
    std::string lastScheme = "Auto"; ///< read only when saveLastScheme is non-zero
    int noSj = 0;
    int wAsVe = 0;
    int separateEnglish = 0;
    /// Not read at start by the classic window: re-orders the list once a pass ends.
    int refineRanking = 0;
};

[[nodiscard]] MainSwitches readMainSwitches(const store::SettingsStore& store);

/// The check of edit 1006: an integer from 1 to 99.
struct VariantLimitCheck {
    enum class Result { ok, notANumber, outOfRange };
    Result result = Result::notANumber;
    int value = 0;
};
[[nodiscard]] VariantLimitCheck checkVariantLimit(const QString& text);

enum class SourceKind { clipboard, chosenFile, droppedFile, commandLineFile };

[[nodiscard]] MainText noWordsMessage(SourceKind kind);
[[nodiscard]] MainText readFailedMessage(SourceKind kind);

} // namespace vorlex::app
