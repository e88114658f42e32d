#include "store/scheme_catalogue.h"

#include "store/builtin_schemes.h"
#include "store/settings_keys.h"

#include <QString>

namespace vorlex::store {
namespace {

// The scan of the scheme box over any source of schemes.
template <class ReadScheme> CatalogueScan scan(int target, ReadScheme readSchemeNumber) {
    CatalogueScan result;
    for (int number = 0; target > 0 && number < kSchemeNumberLimit; ++number) {
        std::optional<StoredScheme> scheme = readSchemeNumber(number);
        if (!scheme)
            continue;
        result.schemes.push_back(std::move(*scheme));
        if (result.count() == target)
            break;
    }
    return result;
}

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

std::optional<std::string> readSchemeValue(const SettingsStore& store, int number,
                                           std::string_view valueName) {
    std::string value =
        store.readString(schemeSectionName(number), valueName, std::string(kMissingValue));
    if (value == kMissingValue)
        return std::nullopt;
    return value;
}

std::optional<StoredScheme> readScheme(const SettingsStore& store, int number) {
    std::optional<std::string> action = readSchemeValue(store, number, kSchemeActionValue);
    if (!action)
        return std::nullopt;
    std::optional<std::string> name = readSchemeValue(store, number, kSchemeNameValue);
    if (!name)
        return std::nullopt;
    return StoredScheme{number, std::move(*name), std::move(*action)};
}

void writeScheme(SettingsStore& store, int number, std::string_view name, std::string_view action) {
    const std::string section = schemeSectionName(number);
    store.writeString(section, kSchemeActionValue, action);
    store.writeString(section, kSchemeNameValue, name);
}

CatalogueScan scanCatalogue(const SettingsStore& store) {
    return scan(readSetting(store, kTotalSchemes),
                [&store](int number) { return readScheme(store, number); });
}

void writeSchemeCount(SettingsStore& store, const CatalogueScan& scan) {
    writeSetting(store, kTotalSchemes, scan.count());
}

CatalogueScan refreshCatalogue(SettingsStore& store) {
    CatalogueScan result = scanCatalogue(store);
    writeSchemeCount(store, result);
    return result;
}

std::vector<StoredScheme> availableSchemes(const SettingsStore& store) {
    if (readSetting(store, kFlag) != 0)
        return scanCatalogue(store).schemes;
    const std::span<const BuiltInScheme> builtIn = builtInSchemes();
    return scan(readSetting(store, kTotalSchemes),
                [&](int number) -> std::optional<StoredScheme> {
                    if (static_cast<std::size_t>(number) >= builtIn.size())
                        return readScheme(store, number);
                    const BuiltInScheme& scheme = builtIn[static_cast<std::size_t>(number)];
                    return StoredScheme{number, std::string(scheme.name),
                                        std::string(scheme.action)};
                })
        .schemes;
}

const StoredScheme* findSchemeByName(std::span<const StoredScheme> schemes, std::string_view name) {
    for (const StoredScheme& scheme : schemes) {
        if (scheme.name == name)
            return &scheme;
    }
    return nullptr;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return toQString(text).startsWith(toQString(prefix), Qt::CaseInsensitive);
}

std::optional<std::size_t> findFirstByPrefixIgnoringCase(std::span<const std::string> texts,
                                                         std::string_view prefix) {
    const QString wanted = toQString(prefix);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (toQString(texts[i]).startsWith(wanted, Qt::CaseInsensitive))
            return i;
    }
    return std::nullopt;
}

std::optional<int> lastSchemeSelection(std::span<const StoredScheme> schemes,
                                       std::string_view lastScheme) {
    if (startsWithIgnoringCase(kAutoSchemeName, lastScheme))
        return kAutoSchemeNumber;
    for (const StoredScheme& scheme : schemes) {
        if (startsWithIgnoringCase(scheme.name, lastScheme))
            return scheme.number;
    }
    return std::nullopt;
}

} // namespace vorlex::store
