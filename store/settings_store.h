// The per-user settings store: named sections holding named values that are either 32-bit
// integers or strings. The interface is plain C++ so that code without Qt can use it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorlex::store {

/// Sections and value names, strings in UTF-8.
///
/// Reading rule shared by every implementation: a value that is absent, or stored with the
/// wrong type, reads as the caller's default, and the default is never written back. An integer
/// read accepts an integer value, or a string value that is a base-10 number fitting in a 32-bit
/// signed integer (what an INI file holds after a restart); anything else ("abc", "12x",
/// "99999999999", " 7", "+7") is the wrong type. A string read returns a string value, or an
/// integer value in decimal.
///
/// Section and value names must be non-empty and contain neither '/' nor '\\' (the INI store
/// would take them for nested groups). A read with such a name gives the default, a write is
/// dropped and reported by the next flush(), and deleteSection() returns EINVAL.
///
/// Every operation is safe to call from several threads at once.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    /// The integer value, or @p defaultValue when it is absent or of the wrong type.
    [[nodiscard]] virtual int readInt(std::string_view section, std::string_view name,
                                      int defaultValue) const = 0;

    /// The string value, or @p defaultValue when it is absent or of the wrong type.
    [[nodiscard]] virtual std::string readString(std::string_view section, std::string_view name,
                                                 std::string defaultValue) const = 0;

    /// Stores an integer value, creating the section if needed. Failures show in flush().
    virtual void writeInt(std::string_view section, std::string_view name, int value) = 0;

    /// Stores a string value, creating the section if needed. Failures show in flush().
    virtual void writeString(std::string_view section, std::string_view name,
                             std::string_view value) = 0;

    /// Removes the section with all of its values.
    /// @return 0 on success; ENOENT when the section holds no value; EINVAL for a malformed
    ///         section name; EACCES when the removal could not be saved, in which case the
    ///         section keeps its values. errorMessage() turns a code into text.
    [[nodiscard]] virtual int deleteSection(std::string_view section) = 0;

    /// Saves everything written so far.
    /// @return true when every write and removal so far has reached permanent storage; false
    ///         otherwise, with a description in English in @p error and an errno value in
    ///         @p code, each when it is not null: EACCES, EPERM or EROFS for a file or folder
    ///         that cannot be written, ENOSPC or EDQUOT for a full disk, EWOULDBLOCK for a file
    ///         another program keeps locked, EISDIR when the file is a folder, EINVAL for a
    ///         value with a malformed name, EIO when the reason is not known. The values stay
    ///         readable in this store either way, and a later flush() tries again.
    [[nodiscard]] virtual bool flush(std::string* error, int* code = nullptr) = 0;

    /// Where the values are kept, for messages: a file path in UTF-8, or empty.
    [[nodiscard]] virtual std::string location() const { return {}; }
};

/// The system's text for an errno-style code returned by SettingsStore::deleteSection().
[[nodiscard]] std::string errorMessage(int code);

/// A stored text as an integer under the reading rule above, or nothing when it is not one.
[[nodiscard]] std::optional<int> parseStoredInt(std::string_view text) noexcept;

/// Whether @p name may be used as a section or value name (see SettingsStore).
[[nodiscard]] bool isValidStoreName(std::string_view name) noexcept;

} // namespace vorlex::store
