#include "cli/cli_settings.h"

#include "store/qsettings_store.h"
#include "store/settings_keys.h"

namespace vorlex::cli {

std::unique_ptr<store::SettingsStore> openSettings() {
    return store::openUserSettings();
}

std::vector<store::StoredScheme> storedSchemes(const store::SettingsStore& settings) {
    return store::availableSchemes(settings);
}

engine::LatinOptions storedLatinOptions(const store::SettingsStore& settings) {
    engine::LatinOptions options;
    options.wAsVe = store::readSetting(settings, store::kWAsVe) != 0;
    options.noSj = store::readSetting(settings, store::kNoSj) != 0;
    options.separateEnglish = store::readSetting(settings, store::kSeparateEnglish) != 0;
    return options;
}

} // namespace vorlex::cli
