// vorlex-cli batch on every core: each file repaired by its own refined answer (--auto) or
// recoded through one chain, into a folder or in place, with a JSON Lines report.
#pragma once

#include <string>
#include <vector>

namespace vorlex::cli {

/// Whether @p args ask for more than the plain one-chain batch: --auto, -j, -r, --in-place,
/// --report or --dry-run.
[[nodiscard]] bool wantsParallelBatch(const std::vector<std::string>& args);

int runParallelBatch(std::vector<std::string> args);

} // namespace vorlex::cli
