// Whole-document input and output shared by the preview, the batch conversion and vorlex-cli:
// a file is read into a work buffer sized for the chain and recoded there in place, and every
// output goes through a temporary file in the target's folder that is renamed over the target,
// so a failed or interrupted write never leaves a partial file nor destroys the old one.
#pragma once

#include "engine/filters.h"
#include "engine/latin.h"
#include "io/atomic_file.h"
#include "store/settings.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <span>
#include <vector>

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
    outOfMemory, ///< no work buffer of the needed size, or larger than the caller's limit
};

/// The reason of a file that became shorter while it was read whole.
inline constexpr char kShortenedReason[] = "the file became shorter while it was read";

/// No limit on the size of a file read whole.
inline constexpr std::uint64_t kNoSizeLimit = std::numeric_limits<std::uint64_t>::max();

/// Reads documents into work buffers and recodes them.
class DocumentReader {
public:
    /// Reads the regular file at @p path whole into a work buffer sized for @p filters and
    /// recodes it there. The file is open only during the call and never mapped, so a file
    /// truncated or replaced by another program gives an error, not a crash. @p reason gets the
    /// system's explanation of a failure. A file larger than @p maxSize is outOfMemory.
    static ReadError recodeFile(const QString& path, const engine::FilterList& filters,
                                const engine::LatinOptions& options, RecodedDocument& out,
                                QString* reason = nullptr, std::uint64_t maxSize = kNoSizeLimit);
    /// The same for a document already in memory.
    static ReadError recodeBuffer(std::span<const std::uint8_t> document,
                                  const engine::FilterList& filters,
                                  const engine::LatinOptions& options, RecodedDocument& out);
};

/// Reads at most @p limit bytes from the start of the regular file at @p path into @p out
/// (fewer when the file became shorter meanwhile). A missing, unreadable or non-regular file (a
/// FIFO does not block) is openFailed, a file of size 0 is empty.
[[nodiscard]] ReadError readFileStart(const QString& path, std::size_t limit,
                                      std::vector<std::uint8_t>& out, QString* reason = nullptr);

/// Whether recodeFile() can be expected to read @p path: openFailed and empty as there, and
/// outOfMemory for a file larger than @p maxSize. @p reason gets the system's words.
[[nodiscard]] ReadError checkReadable(const QString& path, std::uint64_t maxSize,
                                      QString* reason = nullptr);

/// The name of an output encoding, the same in both languages ("UTF-8", "Windows-1251").
[[nodiscard]] QString encodingName(store::OutputEncoding encoding);

using WriteError = io::WriteError;
using Existing = io::Existing;

/// The encoding to hand writeFileAtomically() for bytes that are in their output encoding
/// already (a repair through Unicode): they go in as they are.
inline constexpr store::OutputEncoding kBytesAsTheyAre = store::OutputEncoding::win1251;

/// Writes @p bytes to @p target through a temporary file in the same folder, renamed over the
/// target at the end; recoded (Windows-1251) bytes go in as they are or, with
/// OutputEncoding::utf8, decoded to UTF-8 piece by piece. With Existing::keep an existing target is
/// left alone and reported as WriteError::exists (checked again at the rename, so a file that
/// appears meanwhile is kept). A replaced file keeps its permissions; a symbolic link is followed.
/// On any failure the target is as it was and no temporary file remains.
[[nodiscard]] WriteError
writeFileAtomically(const QString& target, std::span<const std::uint8_t> bytes, Existing existing,
                    QString* reason = nullptr,
                    store::OutputEncoding encoding = store::OutputEncoding::win1251);

} // namespace vorlex::tools
