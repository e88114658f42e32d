#include "store/builtin_schemes.h"

#include <array>

namespace vorlex::store {
namespace {

// The order is the numbering: users' stores hold these under these numbers.
constexpr std::array<BuiltInScheme, 23> kBuiltIn{{
    {"Alt->Iso", "ai"},
    {"Alt->Koi", "ak"},
    {"Alt->Win", "aw"},
    {"Iso->Alt", "ia"},
    {"Iso->Koi", "ik"},
    {"Iso->Win", "iw"},
    {"Koi->Alt", "ka"},
    {"Koi->Iso", "ki"},
    {"Koi->Win", "kw"},
    {"Win->Alt", "wa"},
    {"Win->Iso", "wi"},
    {"Win->Koi", "wk"},
    // "Double Win->Koi"; Russian in both interface languages.
    {"\xD0\x94\xD0\xB2\xD0\xBE\xD0\xB9\xD0\xBD\xD0\xB0\xD1\x8F Win->Koi", "wk wk"},
    {"Win->Latinica", "wl"},
    {"Koi->Latinica", "kw wl"},
    {"Alt->Latinica", "aw wl"},
    {"Iso->Latinica", "iw wl"},
    {"Latinica->Win", "lw"},
    {"Latinica->Koi", "lw wk"},
    {"Latinica->Alt", "lw wa"},
    {"Latinica->Iso", "lw wi"},
    {"Mac->Win", "mw"},
    {"Win->Mac", "wm"},
}};

} // namespace

std::span<const BuiltInScheme> builtInSchemes() noexcept {
    return kBuiltIn;
}

} // namespace vorlex::store
