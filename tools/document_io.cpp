#include "tools/document_io.h"

#include "engine/recode.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace vorlex::tools {
namespace {

void setReason(QString* reason, const QString& text) {
    if (reason)
        *reason = text;
}

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Allocates without touching the pages: a 1 GiB document costs only what the recoding writes.
bool allocate(std::unique_ptr<std::uint8_t[]>& buffer, std::size_t& capacity, std::size_t size) {
    if (capacity >= size && buffer)
        return true;
    buffer.reset();
    capacity = 0;
    try {
        buffer = std::make_unique_for_overwrite<std::uint8_t[]>(size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    capacity = size;
    return true;
}

} // namespace

void RecodedDocument::clear() noexcept {
    buffer_.reset();
    capacity_ = 0;
    length_ = 0;
}

ReadError DocumentReader::recodeFile(const QString& path, const engine::FilterList& filters,
                                     const engine::LatinOptions& options, RecodedDocument& out,
                                     QString* reason) {
    out.clear();
    const QByteArray name = QFile::encodeName(path);
    // O_NONBLOCK: a FIFO named here must not hang the program; it is refused below.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        setReason(reason, systemError(errno));
        return ReadError::openFailed;
    }
    struct FdCloser {
        int fd;
        ~FdCloser() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        setReason(reason, systemError(errno));
        return ReadError::openFailed;
    }
    if (!S_ISREG(info.st_mode)) {
        setReason(reason, QStringLiteral("not a regular file"));
        return ReadError::openFailed;
    }
    if (info.st_size == 0)
        return ReadError::empty;
    const auto size = static_cast<std::size_t>(info.st_size);
    const std::size_t workSize = engine::workBufferSize(size, filters, options);
    if (workSize < size || !allocate(out.buffer_, out.capacity_, workSize))
        return ReadError::outOfMemory;

    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd, out.buffer_.get() + done, size - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            setReason(reason, got < 0
                                  ? systemError(errno)
                                  : QStringLiteral("the file became shorter while it was read"));
            out.clear();
            return ReadError::openFailed;
        }
        done += static_cast<std::size_t>(got);
    }
    const std::span<std::uint8_t> work(out.buffer_.get(), out.capacity_);
    // The document is the start of the work buffer; the routine works in place there.
    const engine::DocumentResult result =
        engine::recodeDocument(work.first(size), work, filters, options);
    out.length_ = result.length;
    return ReadError::none;
}

ReadError DocumentReader::recodeBuffer(std::span<const std::uint8_t> document,
                                       const engine::FilterList& filters,
                                       const engine::LatinOptions& options, RecodedDocument& out) {
    out.clear();
    if (document.empty())
        return ReadError::empty;
    const std::size_t workSize = engine::workBufferSize(document.size(), filters, options);
    if (workSize < document.size() || !allocate(out.buffer_, out.capacity_, workSize))
        return ReadError::outOfMemory;
    const std::span<std::uint8_t> work(out.buffer_.get(), out.capacity_);
    out.length_ = engine::recodeDocument(document, work, filters, options).length;
    return ReadError::none;
}

WriteError writeFileAtomically(const QString& requestedTarget, std::span<const std::uint8_t> bytes,
                               Existing existing, QString* reason) {
    // Write through a link to the file it names, as an editor would.
    QString target = requestedTarget;
    const QFileInfo requested(requestedTarget);
    if (requested.isSymLink()) {
        const QString resolved = requested.symLinkTarget();
        if (!resolved.isEmpty())
            target = resolved;
    }
    const QFileInfo info(target);
    if (existing == Existing::keep && (info.exists() || info.isSymLink()))
        return WriteError::exists;
    if (info.exists() && info.isDir()) {
        setReason(reason, QStringLiteral("a folder of that name exists"));
        return WriteError::createFailed;
    }

    QTemporaryFile temporary(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                             QStringLiteral(".XXXXXX"));
    if (!temporary.open()) {
        setReason(reason, temporary.errorString());
        return WriteError::createFailed;
    }
    // A replaced file keeps its permissions; a new one gets the usual ones (umask applied).
    if (info.exists()) {
        temporary.setPermissions(info.permissions());
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(temporary.handle(), 0666 & ~mask);
    }

    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t chunk = std::min<std::size_t>(bytes.size() - done, 1u << 30);
        const qint64 wrote =
            temporary.write(reinterpret_cast<const char*>(bytes.data() + done), qint64(chunk));
        if (wrote <= 0) {
            setReason(reason, temporary.errorString());
            return WriteError::writeFailed; // the temporary file is removed with `temporary`
        }
        done += static_cast<std::size_t>(wrote);
    }
    if (!temporary.flush() || ::fsync(temporary.handle()) != 0) {
        setReason(reason,
                  temporary.errorString().isEmpty() ? systemError(errno) : temporary.errorString());
        return WriteError::writeFailed;
    }

    const QByteArray from = QFile::encodeName(temporary.fileName());
    const QByteArray to = QFile::encodeName(info.absoluteFilePath());
    const int renamed =
        existing == Existing::keep
            ? ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE)
            : std::rename(from.constData(), to.constData());
    if (renamed != 0) {
        const int error = errno;
        if (error == EEXIST)
            return WriteError::exists;
        setReason(reason, systemError(error));
        return WriteError::writeFailed;
    }
    temporary.setAutoRemove(false); // it is the target now
    return WriteError::none;
}

} // namespace vorlex::tools
