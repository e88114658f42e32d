#include "store/memory_settings_store.h"

#include <cerrno>
#include <utility>

namespace vorlex::store {

const MemorySettingsStore::Value* MemorySettingsStore::find(std::string_view section,
                                                            std::string_view name) const {
    const auto s = sections_.find(section);
    if (s == sections_.end())
        return nullptr;
    const auto v = s->second.find(name);
    return v == s->second.end() ? nullptr : &v->second;
}

int MemorySettingsStore::readInt(std::string_view section, std::string_view name,
                                 int defaultValue) const {
    const std::lock_guard lock(mutex_);
    const Value* value = find(section, name);
    if (value == nullptr)
        return defaultValue;
    if (const int* number = std::get_if<int>(value))
        return *number;
    return parseStoredInt(std::get<std::string>(*value)).value_or(defaultValue);
}

std::string MemorySettingsStore::readString(std::string_view section, std::string_view name,
                                            std::string defaultValue) const {
    const std::lock_guard lock(mutex_);
    const Value* value = find(section, name);
    if (value == nullptr)
        return defaultValue;
    if (const int* number = std::get_if<int>(value))
        return std::to_string(*number);
    return std::get<std::string>(*value);
}

void MemorySettingsStore::write(std::string_view section, std::string_view name, Value value) {
    const std::lock_guard lock(mutex_);
    if (!isValidStoreName(section) || !isValidStoreName(name)) {
        if (rejectedWrite_.empty())
            rejectedWrite_ = std::string(section) + "/" + std::string(name);
        return;
    }
    auto s = sections_.try_emplace(std::string(section)).first;
    s->second.insert_or_assign(std::string(name), std::move(value));
}

void MemorySettingsStore::writeInt(std::string_view section, std::string_view name, int value) {
    write(section, name, value);
}

void MemorySettingsStore::writeString(std::string_view section, std::string_view name,
                                      std::string_view value) {
    write(section, name, std::string(value));
}

int MemorySettingsStore::deleteSection(std::string_view section) {
    const std::lock_guard lock(mutex_);
    if (!isValidStoreName(section))
        return EINVAL;
    const auto s = sections_.find(section);
    if (s == sections_.end())
        return ENOENT;
    if (deleteError_ != 0)
        return deleteError_;
    sections_.erase(s);
    return 0;
}

bool MemorySettingsStore::flush(std::string* error, int* code) {
    const std::lock_guard lock(mutex_);
    std::string problem = flushError_;
    int problemCode = flushCode_;
    if (problem.empty() && !rejectedWrite_.empty()) {
        problem = "a value with a malformed name was not stored: " + rejectedWrite_;
        problemCode = EINVAL;
    }
    rejectedWrite_.clear();
    if (problem.empty())
        return true;
    if (code != nullptr)
        *code = problemCode;
    if (error != nullptr)
        *error = std::move(problem);
    return false;
}

void MemorySettingsStore::setDeleteError(int code) {
    const std::lock_guard lock(mutex_);
    deleteError_ = code;
}

void MemorySettingsStore::setFlushError(std::string error, int code) {
    const std::lock_guard lock(mutex_);
    flushError_ = std::move(error);
    flushCode_ = code;
}

} // namespace vorlex::store
