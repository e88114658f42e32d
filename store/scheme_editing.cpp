#include "store/scheme_editing.h"

#include "engine/filters.h"
#include "store/builtin_schemes.h"
#include "store/settings_keys.h"

namespace vorlex::store {
namespace {

// The order of the filter boxes' items: the code tables by number, then the two directions of
// transliteration.
constexpr std::array<int, 16> kBoxFilters = {0,
                                             1,
                                             2,
                                             3,
                                             4,
                                             5,
                                             6,
                                             7,
                                             8,
                                             9,
                                             10,
                                             11,
                                             12,
                                             13,
                                             engine::kWinToLatinFilter,
                                             engine::kLatinToWinFilter};

bool sectionHoldsSchemeValue(const SettingsStore& store, int number) {
    return readSchemeValue(store, number, kSchemeActionValue).has_value() ||
           readSchemeValue(store, number, kSchemeNameValue).has_value();
}

SaveResult storeNew(SettingsStore& store, std::string_view name, std::string_view action) {
    const ClashCheck check = checkClashes(store, name, action, kAutoSchemeNumber);
    SaveResult result;
    result.clash = check.clash();
    if (result.clash != Clash::none)
        return result;
    const std::optional<int> number = newSchemeNumber(store, check);
    if (!number) {
        result.outcome = SaveResult::Outcome::noFreeNumber;
        return result;
    }
    writeScheme(store, *number, name, action);
    writeSetting(store, kTotalSchemes, check.count + 1);
    result.outcome = SaveResult::Outcome::stored;
    result.number = *number;
    return result;
}

} // namespace

std::span<const int> filterBoxFilters() noexcept {
    return kBoxFilters;
}

std::string buildActionString(std::span<const int> filterIndices) {
    std::string action;
    int taken = 0;
    for (const int index : filterIndices) {
        if (taken == kSchemeFilterBoxes)
            break;
        const engine::FilterInfo* filter = engine::filterByIndex(index);
        if (filter == nullptr)
            break;
        if (taken++ > 0)
            action += ' ';
        action += filter->code;
    }
    return action;
}

std::array<int, kSchemeFilterBoxes> filterBoxesOf(std::string_view action) {
    std::array<int, kSchemeFilterBoxes> boxes{-1, -1, -1, -1};
    const engine::FilterList list = engine::parseAction(action);
    for (int i = 0; i < kSchemeFilterBoxes && i < list.count; ++i)
        boxes[static_cast<std::size_t>(i)] = list.filters[static_cast<std::size_t>(i)];
    return boxes;
}

Clash ClashCheck::clash() const noexcept {
    if (nameClash && variantClash)
        return Clash::nameAndVariant;
    if (nameClash)
        return Clash::name;
    if (variantClash)
        return Clash::variant;
    return Clash::none;
}

ClashCheck checkClashes(const SettingsStore& store, std::string_view name, std::string_view action,
                        int ownNumber) {
    ClashCheck check;
    const int target = readSetting(store, kTotalSchemes);
    if (target < 1)
        return check;
    int number = 0;
    while (number < kSchemeNumberLimit) {
        bool counted = false;
        if (number == ownNumber) {
            counted = true;
        } else if (const auto storedAction = readSchemeValue(store, number, kSchemeActionValue)) {
            if (*storedAction == action)
                check.variantClash = true;
            if (const auto storedName = readSchemeValue(store, number, kSchemeNameValue)) {
                if (*storedName == name)
                    check.nameClash = true;
                counted = true;
            }
        }
        ++number;
        if (counted) {
            ++check.count;
            check.afterLastFound = number;
            if (check.count == target)
                break;
        }
    }
    check.scanPosition = number;
    return check;
}

std::optional<int> newSchemeNumber(const SettingsStore& store, const ClashCheck& check) {
    for (int number = check.afterLastFound; number < kSchemeNumberLimit; ++number)
        if (!sectionHoldsSchemeValue(store, number))
            return number;
    return std::nullopt;
}

SaveResult saveFromEditor(SettingsStore& store, EditorMode mode, const SchemeBoxSelection& box,
                          std::string_view name, std::string_view action) {
    // The box shows the last used scheme: it keeps being the last one under its new name.
    if (readSetting(store, kLastScheme) == box.text)
        writeSetting(store, kLastScheme, name);
    // Only a listed scheme can be edited; anything else ("Auto") is stored as a new one.
    if (mode == EditorMode::create || box.number < 0 || box.number >= kSchemeNumberLimit)
        return storeNew(store, name, action);

    const ClashCheck check = checkClashes(store, name, action, box.number);
    SaveResult result;
    result.clash = check.clash();
    if (result.clash != Clash::none)
        return result;
    writeScheme(store, box.number, name, action);
    result.outcome = SaveResult::Outcome::stored;
    result.number = box.number;
    return result;
}

SaveResult saveNewScheme(SettingsStore& store, std::string_view name, std::string_view action) {
    return storeNew(store, name, action);
}

int deleteStoredScheme(SettingsStore& store, int number) {
    const int error = store.deleteSection(schemeSectionName(number));
    if (error != 0)
        return error;
    writeSetting(store, kTotalSchemes, readSetting(store, kTotalSchemes) - 1);
    return 0;
}

std::optional<int> selectionAfterSave(const SettingsStore& store, const CatalogueScan& scan) {
    if (readSetting(store, kSaveLastScheme) == 0)
        return std::nullopt;
    return lastSchemeSelection(scan.schemes, readSetting(store, kLastScheme));
}

} // namespace vorlex::store
