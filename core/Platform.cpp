#include "core/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>

#if defined(Q_OS_UNIX)
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#endif

namespace platform {

QString systemErrorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

int lastSystemError() {
    return errno;
}

int syncFile(int handle) {
#if defined(Q_OS_UNIX)
    return ::fsync(handle) == 0 ? 0 : errno;
#elif defined(Q_OS_WIN)
    return ::_commit(handle) == 0 ? 0 : errno;
#else
    Q_UNUSED(handle);
    return 0;
#endif
}

void syncFolder(const QString& folder) {
#if defined(Q_OS_UNIX)
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    // Windows makes a rename durable with the file itself.
    Q_UNUSED(folder);
#endif
}

QString hiddenSiblingName(const QString& path, const QString& ending) {
    const QFileInfo info(path);
    for (;;) {
        const QString random =
            QString::number(QRandomGenerator::global()->generate64() & 0xFFFFFFFFFFFull, 36);
        const QString candidate = info.dir().filePath(QLatin1Char('.') + info.fileName() +
                                                      QLatin1Char('.') + random + ending);
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
            return candidate;
    }
}

void copyModeAndOwner(const QString& source, QFile& target) {
#if defined(Q_OS_UNIX)
    struct stat status;
    if (::stat(QFile::encodeName(source).constData(), &status) != 0)
        return;
    const int fd = target.handle();
    // The owner first: changing it may clear the set-id bits the mode restores.
    if (::fchown(fd, status.st_uid, status.st_gid) != 0)
        (void)::fchown(fd, uid_t(-1), status.st_gid); // at least the group, where allowed
    (void)::fchmod(fd, status.st_mode & 07777);
#else
    // Only the owner's, group's and others' bits: the "user" bits describe
    // what this process may do, not the file.
    const auto own = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                     QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                     QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    target.setPermissions(QFileInfo(source).permissions() & own);
#endif
}

FileStatus fileStatus(const QString& path) {
    FileStatus status;
#if defined(Q_OS_UNIX)
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return status;
    status.kind = S_ISREG(st.st_mode)   ? FileKind::Regular
                  : S_ISLNK(st.st_mode) ? FileKind::SymbolicLink
                  : S_ISDIR(st.st_mode) ? FileKind::Folder
                                        : FileKind::Other;
    status.size = qint64(st.st_size);
    status.device = quint64(st.st_dev);
    status.id = quint64(st.st_ino);
#else
    const QFileInfo info(path);
    if (info.isSymLink() || info.isShortcut())
        status.kind = FileKind::SymbolicLink;
    else if (!info.exists())
        return status;
    else
        status.kind = info.isFile() ? FileKind::Regular
                      : info.isDir() ? FileKind::Folder
                                     : FileKind::Other;
    status.size = info.size();
#endif
    return status;
}

std::optional<QByteArray> readSmallRegularFile(const QString& path, qint64 maxBytes,
                                               QString* why) {
    const auto refuse = [why](const QString& reason) {
        if (why)
            *why = reason;
        return std::optional<QByteArray>();
    };
    const FileStatus before = fileStatus(path);
    if (before.kind != FileKind::Regular)
        return refuse(QStringLiteral("not a regular file"));
    if (before.size > maxBytes)
        return refuse(QStringLiteral("larger than %1 bytes").arg(maxBytes));
#if defined(Q_OS_UNIX)
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return refuse(systemErrorText(errno));
    struct stat st;
    // The name may have been changed since it was looked at: the open file counts.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > maxBytes) {
        ::close(fd);
        return refuse(QStringLiteral("not a small regular file"));
    }
    QByteArray bytes(qsizetype(maxBytes) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return refuse(systemErrorText(error));
        }
        if (n == 0)
            break;
        filled += n;
    }
    ::close(fd);
    if (filled > maxBytes)
        return refuse(QStringLiteral("larger than %1 bytes").arg(maxBytes)); // it grew meanwhile
    bytes.truncate(filled);
    return bytes;
#else
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(file.errorString());
    QByteArray bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes)
        return refuse(QStringLiteral("larger than %1 bytes").arg(maxBytes));
    return bytes;
#endif
}

OpenedFile openForReading(const QString& path) {
    OpenedFile opened;
#if defined(Q_OS_UNIX)
    opened.handle = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (opened.handle < 0) {
        opened.error = errno;
        return opened;
    }
    struct stat status;
    if (::fstat(opened.handle, &status) != 0) {
        opened.error = errno;
        ::close(opened.handle);
        opened.handle = -1;
        return opened;
    }
    opened.regular = S_ISREG(status.st_mode);
    opened.size = qint64(status.st_size);
#if defined(Q_OS_LINUX)
    opened.realPath =
        QFileInfo(QStringLiteral("/proc/self/fd/%1").arg(opened.handle)).symLinkTarget();
#endif
#else
    QFile file(path);
    const QFileInfo info(path);
    if (!file.open(QIODevice::ReadOnly)) {
        opened.error = ENOENT;
        return opened;
    }
    opened.handle = ::_dup(file.handle());
    opened.regular = info.isFile();
    opened.size = info.size();
#endif
    return opened;
}

void closeFile(int handle) {
#if defined(Q_OS_UNIX)
    ::close(handle);
#elif defined(Q_OS_WIN)
    ::_close(handle);
#endif
}

void restrictToOwner(const QString& path) {
#if defined(Q_OS_UNIX)
    const QByteArray name = QFile::encodeName(path);
    struct stat status;
    if (::stat(name.constData(), &status) == 0)
        (void)::chmod(name.constData(), S_ISDIR(status.st_mode) ? 0700 : 0600);
#else
    Q_UNUSED(path);
#endif
}

#if defined(Q_OS_UNIX)
namespace {
// The write end of the pipe a signal is passed through: a signal handler may
// do little more than write(2).
int g_terminationPipe[2] = {-1, -1};

extern "C" void passTerminationSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_terminationPipe[1], &byte, 1);
    errno = saved;
}
} // namespace
#endif

void onTerminationRequest(QObject* context, std::function<void()> handler) {
#if defined(Q_OS_UNIX)
    if (g_terminationPipe[0] >= 0 || ::pipe(g_terminationPipe) != 0)
        return;
    for (const int end : g_terminationPipe)
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
    ::fcntl(g_terminationPipe[1], F_SETFL, O_NONBLOCK);
    auto* notifier = new QSocketNotifier(g_terminationPipe[0], QSocketNotifier::Read, context);
    QObject::connect(
        notifier, &QSocketNotifier::activated, context, [handler = std::move(handler)] {
            char bytes[16];
            [[maybe_unused]] const ssize_t got = ::read(g_terminationPipe[0], bytes, sizeof bytes);
            handler();
        });
    struct sigaction action = {};
    action.sa_handler = passTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
#else
    // Elsewhere the console's own close ends the program; nothing to catch yet.
    Q_UNUSED(context);
    Q_UNUSED(handler);
#endif
}

} // namespace platform
