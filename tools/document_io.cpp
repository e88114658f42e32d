#include "tools/document_io.h"

#include "engine/cp1251.h"
#include "engine/recode.h"
#include "io/input_file.h"

#include <QFile>
#include <algorithm>
#include <new>
#include <optional>
#include <string>

namespace vorlex::tools {
namespace {

void setReason(QString* reason, const QString& text) {
    if (reason)
        *reason = text;
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

// Opens a regular file for a whole read; @p reason gets the system's words on failure.
std::optional<io::InputFile> openDocument(const QString& path, ReadError& error, QString* reason) {
    std::string why;
    std::optional<io::InputFile> file =
        io::InputFile::open(QFile::encodeName(path).toStdString(), io::InputKind::regularFile, why);
    if (!file) {
        setReason(reason, QString::fromLocal8Bit(why));
        error = ReadError::openFailed;
    } else if (file->size() == 0) {
        error = ReadError::empty;
        file.reset();
    }
    return file;
}

} // namespace

void RecodedDocument::clear() noexcept {
    buffer_.reset();
    capacity_ = 0;
    length_ = 0;
}

ReadError DocumentReader::recodeFile(const QString& path, const engine::FilterList& filters,
                                     const engine::LatinOptions& options, RecodedDocument& out,
                                     QString* reason, std::uint64_t maxSize) {
    out.clear();
    ReadError error = ReadError::none;
    std::optional<io::InputFile> file = openDocument(path, error, reason);
    if (!file)
        return error;
    if (file->size() > maxSize || file->size() > std::numeric_limits<std::size_t>::max())
        return ReadError::outOfMemory;
    const auto size = static_cast<std::size_t>(file->size());
    const std::size_t workSize = engine::workBufferSize(size, filters, options);
    if (workSize < size || !allocate(out.buffer_, out.capacity_, workSize))
        return ReadError::outOfMemory;

    std::string why;
    const std::optional<std::size_t> got = file->readFull({out.buffer_.get(), size}, why);
    if (!got || *got < size) {
        setReason(reason,
                  got ? QString::fromLatin1(kShortenedReason) : QString::fromLocal8Bit(why));
        out.clear();
        return ReadError::openFailed;
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

ReadError readFileStart(const QString& path, std::size_t limit, std::vector<std::uint8_t>& out,
                        QString* reason) {
    out.clear();
    ReadError error = ReadError::none;
    std::optional<io::InputFile> file = openDocument(path, error, reason);
    if (!file)
        return error;
    try {
        out.resize(static_cast<std::size_t>(std::min<std::uint64_t>(limit, file->size())));
    } catch (const std::bad_alloc&) {
        return ReadError::outOfMemory;
    }
    std::string why;
    const std::optional<std::size_t> got = file->readFull(out, why);
    if (!got) {
        setReason(reason, QString::fromLocal8Bit(why));
        out.clear();
        return ReadError::openFailed;
    }
    out.resize(*got); // shortened meanwhile: what there is
    return out.empty() ? ReadError::empty : ReadError::none;
}

ReadError checkReadable(const QString& path, std::uint64_t maxSize, QString* reason) {
    ReadError error = ReadError::none;
    const std::optional<io::InputFile> file = openDocument(path, error, reason);
    if (file && file->size() > maxSize)
        return ReadError::outOfMemory;
    return error;
}

QString encodingName(store::OutputEncoding encoding) {
    return encoding == store::OutputEncoding::utf8 ? QStringLiteral("UTF-8")
                                                   : QStringLiteral("Windows-1251");
}

namespace {

// The UTF-8 form goes out in pieces, so a large document needs no second buffer of up to three
// times its size.
WriteError writeUtf8Atomically(const std::string& target, std::span<const std::uint8_t> bytes,
                               Existing existing, std::string& why) {
    constexpr std::size_t kPiece = std::size_t{1} << 16;
    io::AtomicFile file(target, existing);
    if (const WriteError opened = file.open(why); opened != WriteError::none)
        return opened;
    std::string piece;
    for (std::size_t done = 0; done < bytes.size(); done += kPiece) {
        piece = engine::win1251ToUtf8(bytes.subspan(done, std::min(kPiece, bytes.size() - done)));
        if (!file.write(piece, why))
            return WriteError::writeFailed;
    }
    return file.commit(why);
}

} // namespace

WriteError writeFileAtomically(const QString& target, std::span<const std::uint8_t> bytes,
                               Existing existing, QString* reason, store::OutputEncoding encoding) {
    std::string why;
    const std::string path = QFile::encodeName(target).toStdString();
    const WriteError error = encoding == store::OutputEncoding::utf8
                                 ? writeUtf8Atomically(path, bytes, existing, why)
                                 : io::writeAtomically(path, bytes, existing, why);
    if (error != WriteError::none && !why.empty())
        setReason(reason, QString::fromLocal8Bit(why));
    return error;
}

} // namespace vorlex::tools
