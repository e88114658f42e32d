#include "store/scheme_list.h"

namespace vorlex::store {

void SchemeList::assign(std::vector<StoredScheme> schemes) {
    schemes_ = std::move(schemes);
    selected_ = 0;
}

std::string SchemeList::name(int index) const {
    if (index <= 0 || index >= size())
        return std::string(kAutoSchemeName);
    return schemes_[static_cast<std::size_t>(index - 1)].name;
}

int SchemeList::number(int index) const {
    if (index <= 0 || index >= size())
        return kAutoSchemeNumber;
    return schemes_[static_cast<std::size_t>(index - 1)].number;
}

const StoredScheme* SchemeList::selectedScheme() const {
    return selected_ == 0 ? nullptr : &schemes_[static_cast<std::size_t>(selected_ - 1)];
}

void SchemeList::select(int index) {
    if (index >= 0 && index < size())
        selected_ = index;
}

bool SchemeList::selectNumber(int number) {
    for (int i = 0; i < size(); ++i) {
        if (this->number(i) == number) {
            selected_ = i;
            return true;
        }
    }
    return false;
}

void SchemeList::selectLastScheme(std::string_view lastScheme) {
    if (const std::optional<int> found = lastSchemeSelection(schemes_, lastScheme))
        selectNumber(*found);
}

void SchemeList::removeSelected() {
    if (selected_ == 0)
        return;
    schemes_.erase(schemes_.begin() + (selected_ - 1));
    --selected_;
}

} // namespace vorlex::store
