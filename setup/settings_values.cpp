#include "setup/settings_values.h"

#include "store/settings_keys.h"

#include <algorithm>

namespace vorlex::setup {

using store::readSetting;
using store::writeSetting;

namespace {

// The precision indexes a table of ten thresholds.
int clampPrecision(int precision) {
    return std::clamp(precision, 0, 9);
}

} // namespace

SettingsValues readSettingsValues(const store::SettingsStore& store) {
    SettingsValues values;
    values.language = readSetting(store, store::kLanguage);
    values.precision = clampPrecision(readSetting(store, store::kPrecision));
    values.showNoAutoRecoding = readSetting(store, store::kShowNoAutoRecoding);
    values.showWrongClipboardFormat = readSetting(store, store::kShowWrongClipboardFormat);
    values.autoRecode = readSetting(store, store::kAutoRecode);
    values.autoRecodeFile = readSetting(store, store::kAutoRecodeFile);
    values.autoRecodeClipboard = readSetting(store, store::kAutoRecodeClipboard);
    values.saveLastScheme = readSetting(store, store::kSaveLastScheme);
    values.noSj = readSetting(store, store::kNoSj);
    values.wAsVe = readSetting(store, store::kWAsVe);
    values.showPreviewOnDoubleClick = readSetting(store, store::kShowPreviewOnDoubleClick);
    values.setClipboardViewer = readSetting(store, store::kSetClipboardViewer);
    values.separateEnglish = readSetting(store, store::kSeparateEnglish);
    values.refineRanking = readSetting(store, store::kRefineRanking);
    return values;
}

void writeSettingsValues(store::SettingsStore& store, const SettingsValues& values,
                         bool writePrecision) {
    if (writePrecision)
        writeSetting(store, store::kPrecision, clampPrecision(values.precision));
    writeSetting(store, store::kShowNoAutoRecoding, values.showNoAutoRecoding);
    writeSetting(store, store::kShowWrongClipboardFormat, values.showWrongClipboardFormat);
    writeSetting(store, store::kAutoRecode, values.autoRecode);
    writeSetting(store, store::kAutoRecodeFile, values.autoRecodeFile);
    writeSetting(store, store::kAutoRecodeClipboard, values.autoRecodeClipboard);
    writeSetting(store, store::kSaveLastScheme, values.saveLastScheme);
    writeSetting(store, store::kNoSj, values.noSj);
    writeSetting(store, store::kWAsVe, values.wAsVe);
    writeSetting(store, store::kShowPreviewOnDoubleClick, values.showPreviewOnDoubleClick);
    writeSetting(store, store::kLanguage, values.language);
    writeSetting(store, store::kSetClipboardViewer, values.setClipboardViewer);
    writeSetting(store, store::kSeparateEnglish, values.separateEnglish);
    writeSetting(store, store::kRefineRanking, values.refineRanking);
}

PrecisionCheck checkPrecision(const QString& text) {
    PrecisionCheck check;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        return check;
    check.value = value;
    check.result =
        value >= 0 && value <= 9 ? PrecisionCheck::Result::ok : PrecisionCheck::Result::outOfRange;
    return check;
}

SettingsAfterDialog readSettingsAfterDialog(const store::SettingsStore& store) {
    SettingsAfterDialog after;
    after.language = readSetting(store, store::kLanguage);
    after.precision = clampPrecision(readSetting(store, store::kPrecision));
    after.refineRanking = readSetting(store, store::kRefineRanking);
    after.showNoAutoRecoding = readSetting(store, store::kShowNoAutoRecoding);
    after.showWrongClipboardFormat = readSetting(store, store::kShowWrongClipboardFormat);
    after.autoRecode = readSetting(store, store::kAutoRecode);
    after.autoRecodeFile = readSetting(store, store::kAutoRecodeFile);
    after.autoRecodeClipboard = readSetting(store, store::kAutoRecodeClipboard);
    after.saveLastScheme = readSetting(store, store::kSaveLastScheme);
    after.showPreviewOnDoubleClick = readSetting(store, store::kShowPreviewOnDoubleClick);
    if (after.saveLastScheme != 0)
        after.lastScheme = readSetting(store, store::kLastScheme);
    after.noSj = readSetting(store, store::kNoSj);
    after.wAsVe = readSetting(store, store::kWAsVe);
    after.setClipboardViewer = readSetting(store, store::kSetClipboardViewer);
    return after;
}

} // namespace vorlex::setup
