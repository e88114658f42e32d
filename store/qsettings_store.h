// The settings store kept by QSettings: on Linux an INI file under the user's config folder.
#pragma once

#include "store/settings_store.h"

#include <memory>
#include <string>
#include <string_view>

namespace vorlex::store {

/// Names the user's store is filed under: organisation and application.
inline constexpr std::string_view kOrganisationName = "Quillmark";
inline constexpr std::string_view kApplicationName = "VORLEX.INI";

/// Environment variable naming an INI file to use instead of the user's store.
inline constexpr char kSettingsFileVariable[] = "VORLEX_SETTINGS";

/// Sections are QSettings groups and value names are keys. Integers and UTF-8 strings are
/// stored as QSettings values; a file that is damaged, unreadable or in a folder that cannot be
/// written never makes an operation fail: reads give the defaults and flush() reports that the
/// values were not saved. An unreadable file is never overwritten.
class QSettingsStore final : public SettingsStore {
public:
    /// The INI file at @p iniPath (UTF-8); the file and its folders are created on first save.
    explicit QSettingsStore(std::string_view iniPath);

    /// The user's own store of organisation "Quillmark", application "VORLEX.INI", in the
    /// platform's native format, without fall-back to system-wide settings.
    [[nodiscard]] static std::unique_ptr<QSettingsStore> openNative();

    /// Saves what is still unsaved (failures are lost here: call flush() to learn of them).
    ~QSettingsStore() override;

    QSettingsStore(const QSettingsStore&) = delete;
    QSettingsStore& operator=(const QSettingsStore&) = delete;

    /// Where the values are kept (a file path in UTF-8 on Linux).
    [[nodiscard]] std::string location() const override;

    [[nodiscard]] int readInt(std::string_view section, std::string_view name,
                              int defaultValue) const override;
    [[nodiscard]] std::string readString(std::string_view section, std::string_view name,
                                         std::string defaultValue) const override;
    void writeInt(std::string_view section, std::string_view name, int value) override;
    void writeString(std::string_view section, std::string_view name,
                     std::string_view value) override;
    [[nodiscard]] int deleteSection(std::string_view section) override;
    [[nodiscard]] bool flush(std::string* error, int* code = nullptr) override;

private:
    struct Impl;
    explicit QSettingsStore(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

/// The store the program uses: the INI file named by VORLEX_SETTINGS when that variable is set
/// and not empty, otherwise the user's native store (QSettingsStore::openNative()).
[[nodiscard]] std::unique_ptr<SettingsStore> openUserSettings();

} // namespace vorlex::store
