#include "store/qsettings_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>
#include <vector>

#if defined(__has_include)
#if __has_include(<sanitizer/lsan_interface.h>) && defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define VORLEX_HAS_LSAN 1
#endif
#endif

namespace vorlex::store {
namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toStdString(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

QString keyOf(std::string_view section, std::string_view name) {
    return toQString(section) + u'/' + toQString(name);
}

// Values written in this run keep their QVariant type; values read from the file are strings,
// or string lists when a hand-edited value holds unquoted commas.
std::optional<int> toInt(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
        return value.toInt();
    case QMetaType::QString:
        return parseStoredInt(toStdString(value.toString()));
    default:
        return std::nullopt;
    }
}

std::optional<std::string> toString(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::Int:
        return toStdString(value.toString());
    case QMetaType::QStringList:
        return toStdString(value.toStringList().join(QStringLiteral(", ")));
    default:
        return std::nullopt;
    }
}

// How long a save waits for another writer's lock on the settings file. Writers hold it for
// milliseconds; one that holds it longer is stuck.
constexpr int kSaveLockWaitMs = 2000;

// QSettings waits without end for the lock file of another writer, so a writer that never
// lets go would freeze the program. The lock is tried here first, for a bounded time; a lock
// left by a writer that died is taken over as QSettings would.
bool saveLockAvailable(const QString& settingsFile, int waitMs) {
    QLockFile lock(settingsFile + QStringLiteral(".lock"));
    if (lock.tryLock(waitMs))
        return true;
    // A lock file that cannot be made at all (the folder is missing or read-only) is no
    // reason to wait: QSettings makes the folder, or fails at once and says so.
    return lock.error() != QLockFile::LockFailedError;
}

// QSettings does not say why a save failed, so the file system is asked the same question: a
// file of the same size and more is written beside the settings file and removed again.
// Returns the errno value that stops such a write, or EIO when nothing does.
int whySaveFailed(const QString& settingsFile, const QString& namedFile) {
    const QFileInfo named(namedFile);
    if (named.isDir())
        return EISDIR;
    const QFileInfo info(settingsFile);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    if (::access(folder.constData(), W_OK) != 0)
        return errno == ENOENT ? ENOENT : errno;
    if (info.exists() &&
        ::access(QFile::encodeName(info.absoluteFilePath()).constData(), W_OK) != 0)
        return errno;
    QByteArray probe = folder + "/.vorlex-save-probe-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        return errno;
    int code = EIO;
    const std::vector<char> block(4096, ' ');
    for (qint64 left = std::max<qint64>(info.size(), 0) + 4096; left > 0 && code == EIO;) {
        const ssize_t n = ::write(fd, block.data(), block.size());
        if (n < 0)
            code = errno;
        else
            left -= n;
    }
    if (code == EIO && ::fsync(fd) != 0)
        code = errno;
    ::close(fd);
    ::unlink(probe.constData());
    return code;
}

// An object left undestroyed on purpose is not a leak for the leak checker.
void markAbandoned([[maybe_unused]] const void* object) {
#if defined(VORLEX_HAS_LSAN)
    __lsan_ignore_object(object);
#endif
}

// QSettings saves itself from its thread's event loop some time after a write; that save must
// not run while another thread is inside the same object, nor wait for a stuck writer's lock
// (the values then stay in memory for the next save).
class GuardedSettings final : public QSettings {
public:
    GuardedSettings(const QString& fileName, Format format, std::mutex& mutex)
        : QSettings(fileName, format), mutex_(&mutex) {}

    /// Cuts the object loose from its store before it is abandoned.
    void detach() {
        QCoreApplication::removePostedEvents(this);
        mutex_ = nullptr;
    }

protected:
    bool event(QEvent* event) override {
        if (event->type() != QEvent::UpdateRequest)
            return QSettings::event(event);
        if (mutex_ == nullptr)
            return true;
        const std::lock_guard lock(*mutex_);
        if (!saveLockAvailable(fileName(), 0))
            return true;
        return QSettings::event(event);
    }

private:
    std::mutex* mutex_;
};

// QSettings opens its file for reading at once, and opening a pipe (or a device) waits for a
// writer that may never come: the program would hang at start. Such a file is not a settings
// file, so it is treated like an unreadable one: the values stay in memory and saving fails.
// QSettings is given a path beneath it, which cannot be opened or created.
QString openablePath(const QString& fileName) {
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile() && !info.isDir())
        return fileName + QStringLiteral("/.not-a-settings-file");
    return fileName;
}

} // namespace

struct QSettingsStore::Impl {
    Impl(const QString& file, QSettings::Format fileFormat)
        : format(fileFormat),
          settingsObject(new GuardedSettings(openablePath(file), fileFormat, mutex)),
          settings(*settingsObject),
          fileName(openablePath(file) == file ? settings.fileName() : file) {}
    ~Impl() {
        // QSettings saves what it still holds when it is destroyed, waiting for the lock for
        // as long as it takes. When a stuck writer holds it, the object is abandoned instead:
        // the changes of this run are lost, the file and the program are not.
        if (unsaved && !saveLockAvailable(settings.fileName(), 0)) {
            settingsObject->detach();
            markAbandoned(settingsObject.release());
        }
    }

    bool save(std::string* error, int* code);
    void write(std::string_view section, std::string_view name, const QVariant& value);

    const QSettings::Format format;
    std::mutex mutex; // guards everything below; QSettings is not thread-safe
    std::unique_ptr<GuardedSettings> settingsObject;
    GuardedSettings& settings;
    QString fileName;          // the file as the caller named it, for messages
    bool unsaved = false;      // written or removed something since the last successful save
    std::string rejectedWrite; // first write dropped for a malformed name, until flushed
};

void QSettingsStore::Impl::write(std::string_view section, std::string_view name,
                                 const QVariant& value) {
    const std::lock_guard lock(mutex);
    if (!isValidStoreName(section) || !isValidStoreName(name)) {
        if (rejectedWrite.empty())
            rejectedWrite = std::string(section) + "/" + std::string(name);
        return;
    }
    settings.setValue(keyOf(section, name), value);
    unsaved = true;
}

bool QSettingsStore::Impl::save(std::string* error, int* code) {
    if (!unsaved)
        return true;
    if (!saveLockAvailable(settings.fileName(), kSaveLockWaitMs)) {
        if (code != nullptr)
            *code = EWOULDBLOCK;
        if (error != nullptr)
            *error = "the settings file " + toStdString(fileName) +
                     " is locked by another program; the changes are kept until the next save";
        return false;
    }
    settings.sync();
    bool saved = settings.status() == QSettings::NoError;
    // QSettings keeps the first error it met for the life of the object, so once there was one
    // its status says nothing about this attempt. A new object on the same file shares the
    // unsaved changes and reports on its own attempt. A format error found while re-reading a
    // file changed on disk would hide a failed write the same way; the file is not re-read on
    // the next attempt, so asking again gives the answer.
    for (int attempt = 0; !saved && attempt < 3; ++attempt) {
        QSettings retry(settings.fileName(), format);
        retry.sync();
        if (retry.status() == QSettings::AccessError)
            break;
        saved = retry.status() == QSettings::NoError;
    }
    if (saved) {
        unsaved = false;
        return true;
    }
    const int reason = whySaveFailed(settings.fileName(), fileName);
    if (code != nullptr)
        *code = reason;
    if (error != nullptr)
        *error =
            "cannot write the settings file " + toStdString(fileName) + ": " + errorMessage(reason);
    return false;
}

QSettingsStore::QSettingsStore(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

QSettingsStore::QSettingsStore(std::string_view iniPath)
    : QSettingsStore(std::make_unique<Impl>(toQString(iniPath), QSettings::IniFormat)) {}

std::unique_ptr<QSettingsStore> QSettingsStore::openNative() {
    // Opened by its file (or registry path) rather than by organisation and application, so
    // that only the user's own values count, as with a per-user registry key.
    const QString fileName = QSettings(QSettings::NativeFormat, QSettings::UserScope,
                                       toQString(kOrganisationName), toQString(kApplicationName))
                                 .fileName();
    return std::unique_ptr<QSettingsStore>(
        new QSettingsStore(std::make_unique<Impl>(fileName, QSettings::NativeFormat)));
}

QSettingsStore::~QSettingsStore() {
    const std::lock_guard lock(impl_->mutex);
    (void)impl_->save(nullptr, nullptr);
}

std::string QSettingsStore::location() const {
    const std::lock_guard lock(impl_->mutex);
    return toStdString(impl_->fileName);
}

int QSettingsStore::readInt(std::string_view section, std::string_view name,
                            int defaultValue) const {
    if (!isValidStoreName(section) || !isValidStoreName(name))
        return defaultValue;
    const std::lock_guard lock(impl_->mutex);
    return toInt(impl_->settings.value(keyOf(section, name))).value_or(defaultValue);
}

std::string QSettingsStore::readString(std::string_view section, std::string_view name,
                                       std::string defaultValue) const {
    if (!isValidStoreName(section) || !isValidStoreName(name))
        return defaultValue;
    const std::lock_guard lock(impl_->mutex);
    std::optional<std::string> value = toString(impl_->settings.value(keyOf(section, name)));
    return value ? std::move(*value) : std::move(defaultValue);
}

void QSettingsStore::writeInt(std::string_view section, std::string_view name, int value) {
    impl_->write(section, name, QVariant(value));
}

void QSettingsStore::writeString(std::string_view section, std::string_view name,
                                 std::string_view value) {
    impl_->write(section, name, QVariant(toQString(value)));
}

int QSettingsStore::deleteSection(std::string_view section) {
    if (!isValidStoreName(section))
        return EINVAL;
    const std::lock_guard lock(impl_->mutex);
    QSettings& settings = impl_->settings;
    const QString group = toQString(section);

    // Kept so that a removal which cannot be saved can be undone.
    settings.beginGroup(group);
    const QStringList keys = settings.allKeys();
    QVariantList values;
    for (const QString& key : keys)
        values.append(settings.value(key));
    settings.endGroup();
    if (keys.isEmpty())
        return ENOENT;

    settings.remove(group);
    impl_->unsaved = true;
    if (impl_->save(nullptr, nullptr))
        return 0;
    for (qsizetype i = 0; i < keys.size(); ++i)
        settings.setValue(group + u'/' + keys[i], values[i]);
    return EACCES;
}

bool QSettingsStore::flush(std::string* error, int* code) {
    const std::lock_guard lock(impl_->mutex);
    std::string problem;
    if (impl_->save(&problem, code) && !impl_->rejectedWrite.empty()) {
        problem = "a value with a malformed name was not stored: " + impl_->rejectedWrite;
        if (code != nullptr)
            *code = EINVAL;
    }
    impl_->rejectedWrite.clear();
    if (problem.empty())
        return true;
    if (error != nullptr)
        *error = std::move(problem);
    return false;
}

std::unique_ptr<SettingsStore> openUserSettings() {
    const QString file = qEnvironmentVariable(kSettingsFileVariable);
    if (!file.isEmpty())
        return std::make_unique<QSettingsStore>(toStdString(file));
    return QSettingsStore::openNative();
}

} // namespace vorlex::store
