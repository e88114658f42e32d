// The setup of an automatic recoding pass from the stored settings and schemes, one builder for
// the window and the command-line tool.
#pragma once

#include "detect/pass.h"
#include "detect/sample.h"
#include "store/scheme_catalogue.h"
#include "store/settings.h"

#include <optional>
#include <span>

namespace vorlex::store {

/// What a caller chooses over the stored settings; a value left empty comes from the settings.
struct PassChoices {
    std::optional<int> precision;   ///< brought into kPrecision's bounds
    std::optional<int> maxVariants; ///< brought into kTotalShow's bounds
};

/// A pass over @p sample that scores @p schemes (listed as the scheme list shows them, after
/// "Auto") with the actions they hold, and takes its precision and list limit from @p choices
/// or else from @p settings. The actions are copied: the worker never reads the store.
[[nodiscard]] detect::PassSetup passSetup(const detect::Sample& sample, const Settings& settings,
                                          std::span<const StoredScheme> schemes,
                                          const PassChoices& choices = {});

} // namespace vorlex::store
