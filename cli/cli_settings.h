// What the command-line tool takes from the user's settings store. It only reads: the window
// is the one that initialises and maintains the store.
#pragma once

#include "engine/latin.h"
#include "store/scheme_catalogue.h"
#include "store/settings_store.h"

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace vorlex::cli {

/// The user's store, or the INI file named by VORLEX_SETTINGS.
std::unique_ptr<store::SettingsStore> openSettings();

/// The stored schemes in scheme-box order; the built-in ones when the store has never been
/// initialised by the window.
std::vector<store::StoredScheme> storedSchemes(const store::SettingsStore& settings);

/// The transliteration switches as stored (`W as Ve`, `No Sj`, `Sparate english`).
engine::LatinOptions storedLatinOptions(const store::SettingsStore& settings);

/// The switches of a command: each one not given on the command line comes from the store.
engine::LatinOptions latinOptions(const store::SettingsStore& settings,
                                  const engine::LatinOptions& given);

/// The action string of `--action CODES` or of the stored scheme `--scheme NAME` (one of them
/// is set). When neither gives one, the reason is printed and the exit status comes back
/// instead: usage for an action that names no filter, failure for an unknown scheme. With
/// `unicodeSteps` an action holding Unicode steps is returned as it is.
std::variant<std::string, int> chosenAction(const store::SettingsStore& settings,
                                            const std::optional<std::string>& action,
                                            const std::optional<std::string>& scheme,
                                            bool unicodeSteps = false);

} // namespace vorlex::cli
