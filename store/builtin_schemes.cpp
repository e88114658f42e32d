#include "store/builtin_schemes.h"

#include "store/scheme_catalogue.h"
#include "store/settings_keys.h"

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

std::string schemeSectionName(int number) {
    return number < 0 ? std::string() : std::to_string(number);
}

void writeBuiltInSchemes(SettingsStore& store) {
    if (readSetting(store, kFlag) != 0)
        return;
    for (std::size_t number = 0; number < kBuiltIn.size(); ++number)
        writeScheme(store, static_cast<int>(number), kBuiltIn[number].name,
                    kBuiltIn[number].action);
}

void initialiseOnStart(SettingsStore& store) {
    writeBuiltInSchemes(store);
    writeSetting(store, kFlag, 1);
}

} // namespace vorlex::store
