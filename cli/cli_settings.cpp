#include "cli/cli_settings.h"

#include "cli/cli_common.h"
#include "engine/filters.h"
#include "engine/unicode_views.h"
#include "store/qsettings_store.h"
#include "store/settings.h"

namespace vorlex::cli {

std::unique_ptr<store::SettingsStore> openSettings() {
    return store::openUserSettings();
}

std::vector<store::StoredScheme> storedSchemes(const store::SettingsStore& settings) {
    return store::availableSchemes(settings);
}

engine::LatinOptions storedLatinOptions(const store::SettingsStore& settings) {
    const store::Settings stored = store::readSettings(settings);
    return {stored.wAsVe, stored.noSj, stored.separateEnglish};
}

engine::LatinOptions latinOptions(const store::SettingsStore& settings,
                                  const engine::LatinOptions& given) {
    const engine::LatinOptions stored = storedLatinOptions(settings);
    engine::LatinOptions options;
    options.wAsVe = given.wAsVe || stored.wAsVe;
    options.noSj = given.noSj || stored.noSj;
    options.separateEnglish = given.separateEnglish || stored.separateEnglish;
    return options;
}

namespace {

std::string knownCodes() {
    std::string codes;
    for (const engine::FilterInfo& filter : engine::kFilters) {
        if (!codes.empty())
            codes += ' ';
        codes += filter.code;
    }
    return codes;
}

} // namespace

std::variant<std::string, int> chosenAction(const store::SettingsStore& settings,
                                            const std::optional<std::string>& action,
                                            const std::optional<std::string>& scheme,
                                            bool unicodeSteps) {
    if (action) {
        if (unicodeSteps && engine::holdsUnicodeStep(*action))
            return *action; // the command checks it whole
        if (engine::parseAction(*action).count == 0)
            return usageError("the action \"" + *action +
                              "\" names no filter; filter codes are: " + knownCodes());
        return *action;
    }
    const std::vector<store::StoredScheme> schemes = storedSchemes(settings);
    const store::StoredScheme* found = store::findSchemeByName(schemes, scheme.value_or(""));
    if (!found) {
        printError({}, "no stored scheme is named \"" + scheme.value_or("") +
                           "\" (vorlex-cli schemes lists them)");
        return kExitFailure;
    }
    return found->action;
}

} // namespace vorlex::cli
