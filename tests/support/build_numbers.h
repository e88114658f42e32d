// Update answers around this program's own build number, so that the tests follow the version
// written in project(): the own build, one above it and one below it.
#pragma once

#include "vorlex_version.h"

#include <string>

namespace vorlex::testing {

inline std::string ownBuild() {
    return std::string(kBuildNumber);
}
inline std::string newerBuild() {
    return std::to_string(std::stoi(ownBuild()) + 1);
}
inline std::string olderBuild() {
    return std::to_string(std::stoi(ownBuild()) - 1);
}

} // namespace vorlex::testing
