// A small tmpfs mounted on a folder for the length of a test: a disk that fills up, or (once
// remounted) a read-only folder. Mounting needs root and a system that lets this process
// mount; tests skip themselves when mounted() is false.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cerrno>
#include <cstring>
#include <string>
#include <sys/mount.h>

namespace vorlex::testing {

class SmallTmpfs {
public:
    explicit SmallTmpfs(const QString& folder, const char* size = "size=64k")
        : folder_(QFile::encodeName(folder)) {
        QDir().mkpath(folder);
        mounted_ = ::mount("tmpfs", folder_.constData(), "tmpfs", 0, size) == 0;
        if (!mounted_)
            reason_ = std::strerror(errno);
    }
    ~SmallTmpfs() {
        if (mounted_)
            ::umount2(folder_.constData(), MNT_DETACH);
    }
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    [[nodiscard]] bool mounted() const noexcept { return mounted_; }
    /// Why mounting failed.
    [[nodiscard]] const std::string& reason() const noexcept { return reason_; }
    bool makeReadOnly() {
        return ::mount(nullptr, folder_.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QByteArray folder_;
    std::string reason_;
    bool mounted_ = false;
};

} // namespace vorlex::testing
