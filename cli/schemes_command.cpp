// vorlex-cli schemes: the stored schemes, one per line.
#include "cli/cli_common.h"
#include "cli/cli_settings.h"
#include "cli/commands.h"

namespace vorlex::cli {

int runSchemes(std::vector<std::string> args) {
    if (!args.empty())
        return usageError("schemes takes no arguments");
    std::string listing;
    const std::unique_ptr<store::SettingsStore> settings = openSettings();
    for (const store::StoredScheme& scheme : storedSchemes(*settings))
        listing += std::to_string(scheme.number) + '\t' + scheme.name + '\t' + scheme.action + '\n';
    OutputSink out("-");
    std::string error;
    if (!out.write(listing, error)) {
        printError(out.name(), error);
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace vorlex::cli
