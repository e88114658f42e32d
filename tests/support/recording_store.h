// A memory settings store that also records the name of every value written, in order, so
// that tests can check the order of the writes.
#pragma once

#include "store/memory_settings_store.h"

#include <string>
#include <string_view>
#include <vector>

namespace vorlex::testing {

class RecordingStore final : public store::SettingsStore {
public:
    [[nodiscard]] int readInt(std::string_view section, std::string_view name,
                              int defaultValue) const override {
        return inner_.readInt(section, name, defaultValue);
    }
    [[nodiscard]] std::string readString(std::string_view section, std::string_view name,
                                         std::string defaultValue) const override {
        return inner_.readString(section, name, std::move(defaultValue));
    }
    void writeInt(std::string_view section, std::string_view name, int value) override {
        record(section, name);
        inner_.writeInt(section, name, value);
    }
    void writeString(std::string_view section, std::string_view name,
                     std::string_view value) override {
        record(section, name);
        inner_.writeString(section, name, value);
    }
    [[nodiscard]] int deleteSection(std::string_view section) override {
        return inner_.deleteSection(section);
    }
    [[nodiscard]] bool flush(std::string* error, int* code = nullptr) override {
        return inner_.flush(error, code);
    }

    /// "Section/Name" of every write so far.
    [[nodiscard]] const std::vector<std::string>& writes() const noexcept { return writes_; }
    void clearWrites() { writes_.clear(); }
    [[nodiscard]] store::MemorySettingsStore& inner() noexcept { return inner_; }

private:
    void record(std::string_view section, std::string_view name) {
        writes_.push_back(std::string(section) + "/" + std::string(name));
    }
    store::MemorySettingsStore inner_;
    std::vector<std::string> writes_;
};

} // namespace vorlex::testing
