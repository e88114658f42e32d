// Whole-document input and output shared by the preview, the batch conversion and vorlex-cli:
// a file is read into a work buffer sized for the chain and recoded there in place, and every
// output goes through a temporary file in the target's folder that is renamed over the target,
// so a failed or interrupted write never leaves a partial file nor destroys the old one.
#pragma once

#include "engine/filters.h"
#include "engine/latin.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace vorlex::tools {

/// A recoded document: the work buffer and the length of the result in it.
class RecodedDocument {
public:
    [[nodiscard]] std::span<const std::uint8_t> bytes() const noexcept {
        return {buffer_.get(), length_};
    }
    [[nodiscard]] std::size_t size() const noexcept { return length_; }
    /// Frees the buffer.
    void clear() noexcept;

private:
    friend class DocumentReader;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t length_ = 0;
};

enum class ReadError {
    none,
    openFailed,  ///< missing, unreadable, not a regular file, or changed while read
    empty,       ///< a file of size 0
    outOfMemory, ///< no work buffer of the needed size
};

/// Reads documents into work buffers and recodes them.
class DocumentReader {
public:
    /// Reads the regular file at @p path whole into a work buffer sized for @p filters and
    /// recodes it there. The file is open only during the call and never mapped, so a file
    /// truncated or replaced by another program gives an error, not a crash. @p reason gets the
    /// system's explanation of a failure.
    static ReadError recodeFile(const QString& path, const engine::FilterList& filters,
                                const engine::LatinOptions& options, RecodedDocument& out,
                                QString* reason = nullptr);
    /// The same for a document already in memory.
    static ReadError recodeBuffer(std::span<const std::uint8_t> document,
                                  const engine::FilterList& filters,
                                  const engine::LatinOptions& options, RecodedDocument& out);
};

enum class WriteError {
    none,
    exists,       ///< the target exists and replacing it was not asked for
    createFailed, ///< the temporary file could not be made (folder missing or read-only, ...)
    writeFailed,  ///< writing, flushing or renaming failed (disk full, file size limit, ...)
};

enum class Existing { replace, keep };

/// Writes @p bytes to @p target through a temporary file in the same folder, renamed over the
/// target at the end. With Existing::keep an existing target is left alone and reported as
/// WriteError::exists (checked again at the rename, so a file that appears meanwhile is kept).
/// A replaced file keeps its permissions; a symbolic link is followed. On any failure the
/// target is as it was and no temporary file remains.
[[nodiscard]] WriteError writeFileAtomically(const QString& target,
                                             std::span<const std::uint8_t> bytes, Existing existing,
                                             QString* reason = nullptr);

} // namespace vorlex::tools
