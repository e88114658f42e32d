// The commands of vorlex-cli; each takes the arguments after its name and returns the exit
// status.
#pragma once

#include <string>
#include <vector>

namespace vorlex::cli {

int runRecode(std::vector<std::string> args);
int runSchemes(std::vector<std::string> args);
int runAuto(std::vector<std::string> args);
int runBatch(std::vector<std::string> args);

/// The help text of the whole tool.
const char* helpText();

} // namespace vorlex::cli
