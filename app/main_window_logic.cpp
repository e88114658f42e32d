#include "app/main_window_logic.h"

#include "detect/pass.h"
#include "store/settings_keys.h"

namespace vorlex::app {

MainSwitches readMainSwitches(const store::SettingsStore& store) {
    using store::readSetting;
    MainSwitches s;
    s.language = readSetting(store, store::kLanguage);
    s.totalShow = readSetting(store, store::kTotalShow);
    s.precision = readSetting(store, store::kPrecision);
    s.showNoAutoRecoding = readSetting(store, store::kShowNoAutoRecoding);
    s.showWrongClipboardFormat = readSetting(store, store::kShowWrongClipboardFormat);
    s.autoRecode = readSetting(store, store::kAutoRecode);
    s.autoRecodeFile = readSetting(store, store::kAutoRecodeFile);
    s.autoRecodeClipboard = readSetting(store, store::kAutoRecodeClipboard);
    s.saveLastScheme = readSetting(store, store::kSaveLastScheme);
    s.showPreviewOnDoubleClick = readSetting(store, store::kShowPreviewOnDoubleClick);
    s.setClipboardViewer = readSetting(store, store::kSetClipboardViewer);
    if (s.saveLastScheme != 0)
        s.lastScheme = readSetting(store, store::kLastScheme);
    s.noSj = readSetting(store, store::kNoSj);
    s.wAsVe = readSetting(store, store::kWAsVe);
    s.separateEnglish = readSetting(store, store::kSeparateEnglish);
    s.refineRanking = readSetting(store, store::kRefineRanking);
    return s;
}

VariantLimitCheck checkVariantLimit(const QString& text) {
    VariantLimitCheck check;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return check;
    check.value = value;
    check.result = value >= detect::kMinVariants && value <= detect::kMaxVariants
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
