#include "io/input_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>

namespace vorlex::io {

std::string systemError(int code) {
    return std::strerror(code);
}

std::optional<InputFile> InputFile::adopt(FileDescriptor fd, InputKind kind, std::string& error) {
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        error = systemError(errno);
        return std::nullopt;
    }
    const bool regular = S_ISREG(info.st_mode);
    if (S_ISDIR(info.st_mode)) {
        error = systemError(EISDIR);
        return std::nullopt;
    }
    if (kind == InputKind::regularFile && !regular) {
        error = kNotRegularFileReason;
        return std::nullopt;
    }
    if (regular && kind == InputKind::regularFile) {
        // Opened without blocking so that a FIFO could not hang the open; reads of a regular
        // file block anyway, but clear the flag all the same.
        const int flags = ::fcntl(fd.get(), F_GETFL);
        if (flags >= 0)
            ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    }
    return InputFile(std::move(fd), regular,
                     regular ? static_cast<std::uint64_t>(info.st_size) : 0);
}

std::optional<InputFile> InputFile::open(const std::string& path, InputKind kind,
                                         std::string& error) {
    // One open, then checks on what was opened: a FIFO put in the file's place between a check
    // and the open must neither block nor be read where only regular files are wanted.
    const int flags = O_RDONLY | O_CLOEXEC | (kind == InputKind::regularFile ? O_NONBLOCK : 0);
    FileDescriptor fd(::open(path.c_str(), flags));
    if (!fd.valid()) {
        error = systemError(errno);
        return std::nullopt;
    }
    return adopt(std::move(fd), kind, error);
}

std::optional<InputFile> InputFile::standardInput(std::string& error) {
    FileDescriptor fd(::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0));
    if (!fd.valid()) {
        error = systemError(errno);
        return std::nullopt;
    }
    return adopt(std::move(fd), InputKind::anyStream, error);
}

std::optional<std::size_t> InputFile::readSome(std::span<std::uint8_t> into, std::string& error) {
    for (;;) {
        const ssize_t got = ::read(fd_.get(), into.data(), into.size());
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR) {
            error = systemError(errno);
            return std::nullopt;
        }
    }
}

std::optional<std::size_t> InputFile::readFull(std::span<std::uint8_t> into, std::string& error) {
    std::size_t done = 0;
    while (done < into.size()) {
        const std::optional<std::size_t> got = readSome(into.subspan(done), error);
        if (!got)
            return std::nullopt;
        if (*got == 0)
            break;
        done += *got;
    }
    return done;
}

ReadFailure InputFile::readAll(std::vector<std::uint8_t>& out, std::size_t limit,
                               std::string& error) {
    out.clear();
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    // Where the data goes: into the room reserved for a regular file of known size, and once
    // that is full into a small buffer first, so that finding the end costs no second copy.
    std::array<std::uint8_t, 4096> probe{};
    try {
        if (regular_ && size_ > 0 && size_ <= limit)
            out.reserve(static_cast<std::size_t>(size_));
        for (;;) {
            const std::size_t old = out.size();
            // One byte past the limit tells a file of exactly the limit from a larger one.
            const std::size_t left = limit - old;
            const std::size_t wanted = left >= kChunk ? kChunk : left + 1;
            const bool intoProbe = old > 0 && old == out.capacity();
            if (!intoProbe)
                out.resize(old +
                           std::min(wanted, out.capacity() > old ? out.capacity() - old : wanted));
            const std::span<std::uint8_t> room =
                intoProbe ? std::span(probe).first(std::min(wanted, probe.size()))
                          : std::span(out).subspan(old);
            const std::optional<std::size_t> got = readSome(room, error);
            if (!got) {
                out.clear();
                return ReadFailure::failed;
            }
            if (intoProbe)
                out.insert(out.end(), probe.begin(), probe.begin() + *got);
            else
                out.resize(old + *got);
            if (out.size() > limit) {
                out.clear();
                return ReadFailure::tooLarge;
            }
            if (*got == 0)
                return ReadFailure::none;
        }
    } catch (const std::bad_alloc&) {
        out = {};
        return ReadFailure::outOfMemory;
    }
}

} // namespace vorlex::io
