#include "store/pass_setup.h"

#include <map>
#include <memory>
#include <string>

namespace vorlex::store {

static_assert(kTotalShow.lowest == detect::kMinVariants &&
                  kTotalShow.highest == detect::kMaxVariants,
              "the stored list limit and the pass agree on its bounds");
static_assert(detect::kAutoItem == kAutoSchemeNumber && detect::kMissingValue == kMissingValue,
              "the pass and the store mark \"Auto\" and an absent value alike");

detect::PassSetup passSetup(const detect::Sample& sample, const Settings& settings,
                            std::span<const StoredScheme> schemes, const PassChoices& choices) {
    detect::PassSetup setup;
    setup.sample = sample;
    setup.precision = kPrecision.bounded(choices.precision.value_or(settings.precision));
    setup.maxVariants = kTotalShow.bounded(choices.maxVariants.value_or(settings.totalShow));
    auto actions = std::make_shared<std::map<int, std::string>>();
    setup.schemeItems.push_back(kAutoSchemeNumber);
    for (const StoredScheme& scheme : schemes) {
        setup.schemeItems.push_back(scheme.number);
        actions->emplace(scheme.number, scheme.action);
    }
    setup.readAction = [actions](int number) {
        const auto found = actions->find(number);
        return found == actions->end() ? std::string(kMissingValue) : found->second;
    };
    return setup;
}

} // namespace vorlex::store
