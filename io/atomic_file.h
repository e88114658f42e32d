// Writing a file so that it is never seen half-written: everything goes to a temporary file
// beside the target, which is renamed over the target only when all of it is on disk.
#pragma once

#include "io/file_descriptor.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vorlex::io {

/// What to do when the target exists.
enum class Existing { replace, keep };

enum class WriteError {
    none,
    exists,       ///< the target exists and Existing::keep was asked for
    createFailed, ///< the temporary file could not be made (folder missing or read-only, ...)
    writeFailed,  ///< writing, flushing or renaming failed (disk full, file size limit, ...)
};

/// One atomic write: open(), any number of write()s, then commit(). Until commit() the target
/// is untouched; dropping the object or abandon() removes the temporary file. A replaced file
/// keeps its permissions, a new one gets 0666 less the umask; a symbolic link is followed and
/// the file it names is written. With Existing::keep an existing target is reported as
/// WriteError::exists, also when it appears only before the rename.
class AtomicFile {
public:
    AtomicFile(std::string target, Existing existing);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    /// Makes the temporary file; @p reason gets the system's words on failure.
    WriteError open(std::string& reason);
    /// Appends @p bytes; false with @p reason set on failure.
    bool write(std::span<const std::uint8_t> bytes, std::string& reason);
    bool write(std::string_view text, std::string& reason);
    /// Flushes to disk and renames the temporary file over the target.
    WriteError commit(std::string& reason);
    /// Removes the temporary file; the target stays as it was.
    void abandon() noexcept;

private:
    std::string target_;
    Existing existing_;
    std::string temporary_;
    FileDescriptor fd_;
};

/// The reason AtomicFile::open() gives when the target is a folder.
inline constexpr char kFolderInTheWayReason[] = "a folder of that name exists";

/// Writes all of @p bytes to @p target through an AtomicFile.
[[nodiscard]] WriteError writeAtomically(const std::string& target,
                                         std::span<const std::uint8_t> bytes, Existing existing,
                                         std::string& reason);

} // namespace vorlex::io
