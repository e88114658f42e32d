#include "store/builtin_schemes.h"

#include "store/scheme_catalogue.h"
#include "store/settings_keys.h"

namespace vorlex::store {
std::string schemeSectionName(int number) {
    return number < 0 ? std::string() : std::to_string(number);
}

void writeBuiltInSchemes(SettingsStore& store) {
    if (readSetting(store, kFlag) != 0)
        return;
    for (std::size_t number = 0; number < builtInSchemes().size(); ++number)
        writeScheme(store, static_cast<int>(number), builtInSchemes()[number].name,
                    builtInSchemes()[number].action);
}

void initialiseOnStart(SettingsStore& store) {
    writeBuiltInSchemes(store);
    writeSetting(store, kFlag, 1);
}

} // namespace vorlex::store
