#include "store/settings.h"

namespace vorlex::store {
namespace {

bool readSwitch(const SettingsStore& store, const IntSetting& setting) {
    return readSetting(store, setting) != 0;
}

void writeSwitch(SettingsStore& store, const IntSetting& setting, bool on) {
    writeSetting(store, setting, on ? 1 : 0);
}

} // namespace

Language readLanguage(const SettingsStore& store) {
    return languageOf(readSetting(store, kLanguage));
}

Settings readSettings(const SettingsStore& store) {
    Settings s;
    s.language = readLanguage(store);
    s.totalShow = readBounded(store, kTotalShow);
    s.precision = readBounded(store, kPrecision);
    s.showNoAutoRecoding = readSwitch(store, kShowNoAutoRecoding);
    s.showWrongClipboardFormat = readSwitch(store, kShowWrongClipboardFormat);
    s.autoRecode = readSwitch(store, kAutoRecode);
    s.autoRecodeFile = readSwitch(store, kAutoRecodeFile);
    s.autoRecodeClipboard = readSwitch(store, kAutoRecodeClipboard);
    s.saveLastScheme = readSwitch(store, kSaveLastScheme);
    s.showPreviewOnDoubleClick = readSwitch(store, kShowPreviewOnDoubleClick);
    s.setClipboardViewer = readSwitch(store, kSetClipboardViewer);
    if (s.saveLastScheme)
        s.lastScheme = readSetting(store, kLastScheme);
    s.noSj = readSwitch(store, kNoSj);
    s.wAsVe = readSwitch(store, kWAsVe);
    s.separateEnglish = readSwitch(store, kSeparateEnglish);
    s.refineRanking = readSwitch(store, kRefineRanking);
    s.outputEncoding = outputEncodingOf(readSetting(store, kOutputEncoding));
    return s;
}

void writeSettings(SettingsStore& store, const Settings& s, PrecisionWrite precision) {
    if (precision == PrecisionWrite::write)
        writeSetting(store, kPrecision, kPrecision.bounded(s.precision));
    writeSwitch(store, kShowNoAutoRecoding, s.showNoAutoRecoding);
    writeSwitch(store, kShowWrongClipboardFormat, s.showWrongClipboardFormat);
    writeSwitch(store, kAutoRecode, s.autoRecode);
    writeSwitch(store, kAutoRecodeFile, s.autoRecodeFile);
    writeSwitch(store, kAutoRecodeClipboard, s.autoRecodeClipboard);
    writeSwitch(store, kSaveLastScheme, s.saveLastScheme);
    writeSwitch(store, kNoSj, s.noSj);
    writeSwitch(store, kWAsVe, s.wAsVe);
    writeSwitch(store, kShowPreviewOnDoubleClick, s.showPreviewOnDoubleClick);
    writeSetting(store, kLanguage, static_cast<int>(s.language));
    writeSwitch(store, kSetClipboardViewer, s.setClipboardViewer);
    writeSwitch(store, kSeparateEnglish, s.separateEnglish);
    writeSwitch(store, kRefineRanking, s.refineRanking);
    writeSetting(store, kOutputEncoding, static_cast<int>(s.outputEncoding));
}

} // namespace vorlex::store
