#include "tools/file_failure.h"

#include "chrome/text_table.h"
#include "io/atomic_file.h"
#include "io/input_file.h"

#include <QDir>
#include <array>
#include <cerrno>
#include <optional>

namespace vorlex::tools {
namespace {

enum class ReasonText {
    fileLabel,
    missing,
    permission,
    isFolder,
    notFolder,
    notRegular,
    diskFull,
    readOnly,
    fileTooBig,
    nameTooLong,
    tooManyLinks,
    inputOutput,
    busy,
    empty,
    tooLarge,
    shortened,
    readFailed,
    writeFailed,
    actionMissing, ///< %1: the scheme's name
    count_
};

constexpr std::array<chrome::TextPair<ReasonText>, static_cast<std::size_t>(ReasonText::count_)>
    kTexts = {{
        {ReasonText::fileLabel, "File: ", "Файл: "},
        {ReasonText::missing, "There is no such file or folder.", "Такого файла или папки нет."},
        {ReasonText::permission, "Permission denied.", "Доступ запрещён."},
        {ReasonText::isFolder, "It is a folder, not a file.", "Это папка, а не файл."},
        {ReasonText::notFolder, "A part of the path is not a folder.",
         "Часть пути не является папкой."},
        {ReasonText::notRegular, "It is not a regular file (a device, pipe or socket).",
         "Это не обычный файл (устройство, канал или сокет)."},
        {ReasonText::diskFull, "The disk is full.", "Диск переполнен."},
        {ReasonText::readOnly, "The file system is read-only.",
         "Файловая система доступна только для чтения."},
        {ReasonText::fileTooBig, "The file is larger than the system allows.",
         "Файл больше, чем допускает система."},
        {ReasonText::nameTooLong, "The name is too long.", "Слишком длинное имя."},
        {ReasonText::tooManyLinks, "Too many symbolic links.", "Слишком много символьных ссылок."},
        {ReasonText::inputOutput, "Input/output error of the device.",
         "Ошибка ввода-вывода устройства."},
        {ReasonText::busy, "The file is busy.", "Файл занят."},
        {ReasonText::empty, "The file is empty.", "Файл пуст."},
        {ReasonText::tooLarge, "The file is too large for the memory available.",
         "Файл слишком велик для доступной памяти."},
        {ReasonText::shortened, "The file became shorter while it was read.",
         "Файл стал короче во время чтения."},
        {ReasonText::readFailed, "The file could not be read.", "Файл не удалось прочитать."},
        {ReasonText::writeFailed, "The file could not be written.", "Файл не удалось записать."},
        {ReasonText::actionMissing, "The scheme \"%1\" has no stored action.",
         "У схемы \"%1\" нет сохранённого действия."},
    }};

static_assert(chrome::listsIdsInOrder(kTexts), "kTexts lists ReasonText in declaration order");

QString text(ReasonText id, store::Language language) {
    return chrome::textOf(kTexts, id, language);
}

// The errno values worth a sentence of their own; io/ passes on only their words.
struct Known {
    int code;
    ReasonText text;
};
constexpr Known kKnownCodes[] = {
    {ENOENT, ReasonText::missing},     {EACCES, ReasonText::permission},
    {EPERM, ReasonText::permission},   {EISDIR, ReasonText::isFolder},
    {ENOTDIR, ReasonText::notFolder},  {ENOSPC, ReasonText::diskFull},
    {EDQUOT, ReasonText::diskFull},    {EROFS, ReasonText::readOnly},
    {EFBIG, ReasonText::fileTooBig},   {ENAMETOOLONG, ReasonText::nameTooLong},
    {ELOOP, ReasonText::tooManyLinks}, {EIO, ReasonText::inputOutput},
    {ETXTBSY, ReasonText::busy},       {EBUSY, ReasonText::busy},
};

std::optional<ReasonText> knownReason(const QString& words) {
    if (words == QLatin1String(io::kNotRegularFileReason))
        return ReasonText::notRegular;
    if (words == QLatin1String(io::kFolderInTheWayReason))
        return ReasonText::isFolder;
    if (words == QLatin1String(kShortenedReason))
        return ReasonText::shortened;
    for (const Known& known : kKnownCodes)
        if (words == QString::fromLocal8Bit(io::systemError(known.code)))
            return known.text;
    return std::nullopt;
}

} // namespace

QString systemReason(const QString& systemWords, store::Language language,
                     ReasonFallback fallback) {
    if (systemWords.isEmpty())
        return text(fallback == ReasonFallback::readFailed ? ReasonText::readFailed
                                                           : ReasonText::writeFailed,
                    language);
    if (const std::optional<ReasonText> known = knownReason(systemWords))
        return text(*known, language);
    return systemWords;
}

QString readFailureReason(ReadError error, const QString& systemWords, store::Language language) {
    switch (error) {
    case ReadError::empty:
        return text(ReasonText::empty, language);
    case ReadError::outOfMemory:
        return text(ReasonText::tooLarge, language);
    case ReadError::none:
    case ReadError::openFailed:
        break;
    }
    return systemReason(systemWords, language, ReasonFallback::readFailed);
}

QString writeFailureReason(const QString& systemWords, store::Language language) {
    return systemReason(systemWords, language, ReasonFallback::writeFailed);
}

QString fileFailureText(const QString& first, const QString& path, const QString& reason,
                        store::Language language) {
    return first + QLatin1Char('\n') + text(ReasonText::fileLabel, language) +
           QDir::toNativeSeparators(path) + QLatin1Char('\n') + reason;
}

QString configFailureText(const QString& first, const QString& location, const QString& schemeName,
                          store::Language language) {
    QString message = first;
    if (!location.isEmpty())
        message += QLatin1Char('\n') + text(ReasonText::fileLabel, language) +
                   QDir::toNativeSeparators(location);
    return message + QLatin1Char('\n') + text(ReasonText::actionMissing, language).arg(schemeName);
}

} // namespace vorlex::tools
