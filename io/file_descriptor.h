// An open file descriptor that is closed when its owner goes.
#pragma once

#include <cerrno>
#include <unistd.h>
#include <utility>

namespace vorlex::io {

class FileDescriptor {
public:
    FileDescriptor() noexcept = default;
    explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    [[nodiscard]] int get() const noexcept { return fd_; }
    [[nodiscard]] bool valid() const noexcept { return fd_ >= 0; }
    /// Gives the descriptor up without closing it.
    int release() noexcept { return std::exchange(fd_, -1); }
    /// Closes the descriptor held (if any) and holds @p fd instead.
    void reset(int fd = -1) noexcept {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    /// Closes now and reports what close() said: 0, or the errno of a failed close.
    [[nodiscard]] int close() noexcept {
        const int fd = release();
        return fd >= 0 && ::close(fd) != 0 ? errno : 0;
    }

private:
    int fd_ = -1;
};

} // namespace vorlex::io
