// A settings store held in memory, for tests and for code that must not touch the user's
// settings. It keeps the type of every value, so reads follow the same rules as the INI store.
#pragma once

#include "store/settings_store.h"

#include <cerrno>
#include <map>
#include <mutex>
#include <string>
#include <variant>

namespace vorlex::store {

class MemorySettingsStore final : public SettingsStore {
public:
    [[nodiscard]] int readInt(std::string_view section, std::string_view name,
                              int defaultValue) const override;
    [[nodiscard]] std::string readString(std::string_view section, std::string_view name,
                                         std::string defaultValue) const override;
    void writeInt(std::string_view section, std::string_view name, int value) override;
    void writeString(std::string_view section, std::string_view name,
                     std::string_view value) override;
    [[nodiscard]] int deleteSection(std::string_view section) override;
    [[nodiscard]] bool flush(std::string* error, int* code = nullptr) override;

    /// Makes every later deleteSection() of an existing section fail with @p code and change
    /// nothing (0 restores normal behaviour), as a store whose file cannot be written would.
    void setDeleteError(int code);

    /// Makes every later flush() fail with @p error and @p code (an empty error restores normal
    /// behaviour).
    void setFlushError(std::string error, int code = EIO);

private:
    using Value = std::variant<int, std::string>;
    using Section = std::map<std::string, Value, std::less<>>;

    const Value* find(std::string_view section, std::string_view name) const;
    void write(std::string_view section, std::string_view name, Value value);

    mutable std::mutex mutex_;
    std::map<std::string, Section, std::less<>> sections_;
    std::string rejectedWrite_; // first write dropped for a malformed name, until flushed
    int deleteError_ = 0;
    std::string flushError_;
    int flushCode_ = 0;
};

} // namespace vorlex::store
