// Reading input: a named file or standard input, always with read(), never mapped, so a file
// that another program shortens or replaces while it is read gives a short read, not a crash.
#pragma once

#include "io/file_descriptor.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vorlex::io {

/// What an input may be.
enum class InputKind {
    regularFile, ///< a regular file only; a FIFO or device is refused without blocking
    anyStream,   ///< also pipes, FIFOs and devices (the command line); folders are refused
};

/// Why a whole read failed.
enum class ReadFailure { none, failed, tooLarge, outOfMemory };

class InputFile {
public:
    /// Opens @p path for reading; nothing with @p error set to the system's reason when it is
    /// missing, unreadable, a folder, or (InputKind::regularFile) not a regular file.
    static std::optional<InputFile> open(const std::string& path, InputKind kind,
                                         std::string& error);
    /// Standard input (a duplicate of it: closing this leaves standard input open).
    static std::optional<InputFile> standardInput(std::string& error);

    /// Whether it is a regular file, and its size when it was opened (0 for other kinds).
    [[nodiscard]] bool isRegular() const noexcept { return regular_; }
    [[nodiscard]] std::uint64_t size() const noexcept { return size_; }

    /// One read() of at most into.size() bytes (retried after interrupts): the count read,
    /// 0 at the end, nothing on an error (@p error set).
    std::optional<std::size_t> readSome(std::span<std::uint8_t> into, std::string& error);
    /// Reads until @p into is full or the input ends: the count read, nothing on an error.
    std::optional<std::size_t> readFull(std::span<std::uint8_t> into, std::string& error);
    /// Reads everything that is left into @p out, at most @p limit bytes: more is
    /// ReadFailure::tooLarge.
    ReadFailure readAll(std::vector<std::uint8_t>& out, std::size_t limit, std::string& error);

private:
    InputFile(FileDescriptor fd, bool regular, std::uint64_t size)
        : fd_(std::move(fd)), regular_(regular), size_(size) {}
    static std::optional<InputFile> adopt(FileDescriptor fd, InputKind kind, std::string& error);

    FileDescriptor fd_;
    bool regular_ = false;
    std::uint64_t size_ = 0;
};

/// The system's words for an errno value.
[[nodiscard]] std::string systemError(int code);

/// The reason InputFile::open() gives for a FIFO, device or socket where a regular file is
/// wanted.
inline constexpr char kNotRegularFileReason[] = "not a regular file";

} // namespace vorlex::io
