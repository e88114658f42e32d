#include "io/atomic_file.h"

#include "io/input_file.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace vorlex::io {
namespace {

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path names after following symbolic links (also a link to a file not there yet).
std::string followLinks(std::string path) {
    std::array<char, PATH_MAX> buffer;
    for (int hop = 0; hop < 40; ++hop) {
        const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size())
            return path;
        std::string next(buffer.data(), static_cast<std::size_t>(length));
        path = next.front() == '/' ? next : folderOf(path) + '/' + next;
    }
    return path;
}

// The umask as /proc/self/status gives it: setting the umask to read it would change it for
// every thread meanwhile.
unsigned readUmask() {
    unsigned mask = 022;
    if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (std::sscanf(line, "Umask: %o", &mask) == 1)
                break;
        std::fclose(status);
    }
    return mask;
}

// The mode open() would give a new file: 0666 less the umask. The program never changes its
// umask, so it is read once, not once a file (a batch writes thousands).
mode_t newFileMode() {
    static const unsigned mask = readUmask();
    return static_cast<mode_t>(0666 & ~mask);
}

} // namespace

AtomicFile::AtomicFile(std::string target, Existing existing, Flush flush)
    : target_(followLinks(std::move(target))), existing_(existing), flush_(flush) {}

AtomicFile::~AtomicFile() {
    abandon();
}

WriteError AtomicFile::open(std::string& reason) {
    abandon();
    struct stat info {};
    const bool exists = ::stat(target_.c_str(), &info) == 0;
    if (existing_ == Existing::keep) {
        struct stat link {};
        if (exists || ::lstat(target_.c_str(), &link) == 0)
            return WriteError::exists;
    }
    if (exists && S_ISDIR(info.st_mode)) {
        reason = kFolderInTheWayReason;
        return WriteError::createFailed;
    }
    const std::size_t slash = target_.rfind('/');
    const std::string name = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    std::string pattern = folderOf(target_) + "/." + name + ".XXXXXX";
    fd_.reset(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!fd_.valid()) {
        reason = systemError(errno);
        return WriteError::createFailed;
    }
    temporary_ = std::move(pattern);
    // A replaced file keeps its permissions; a new one gets the usual ones.
    ::fchmod(fd_.get(), exists ? (info.st_mode & 07777) : newFileMode());
    return WriteError::none;
}

bool AtomicFile::write(std::span<const std::uint8_t> bytes, std::string& reason) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd_.get(), bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            reason = systemError(errno);
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

bool AtomicFile::write(std::string_view text, std::string& reason) {
    return write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                 reason);
}

WriteError AtomicFile::commit(std::string& reason) {
    if (!fd_.valid()) {
        reason = systemError(EBADF);
        return WriteError::writeFailed;
    }
    if (flush_ == Flush::beforeRename && ::fsync(fd_.get()) != 0) {
        reason = systemError(errno);
        abandon();
        return WriteError::writeFailed;
    }
    if (const int error = fd_.close(); error != 0) {
        reason = systemError(error);
        abandon();
        return WriteError::writeFailed;
    }
    const int renamed =
        existing_ == Existing::keep
            ? ::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE)
            : std::rename(temporary_.c_str(), target_.c_str());
    if (renamed != 0) {
        const int error = errno;
        abandon();
        if (error == EEXIST)
            return WriteError::exists;
        reason = systemError(error);
        return WriteError::writeFailed;
    }
    temporary_.clear(); // it is the target now
    return WriteError::none;
}

void AtomicFile::abandon() noexcept {
    fd_.reset();
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

WriteError writeAtomically(const std::string& target, std::span<const std::uint8_t> bytes,
                           Existing existing, std::string& reason, Flush flush) {
    AtomicFile file(target, existing, flush);
    WriteError status = file.open(reason);
    if (status != WriteError::none)
        return status;
    if (!file.write(bytes, reason))
        return WriteError::writeFailed;
    return file.commit(reason);
}

} // namespace vorlex::io
