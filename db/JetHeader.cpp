#include "db/JetHeader.h"

#include "core/AppError.h"

#include "core/Platform.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

constexpr int kHeaderTextLength = 19;

QString openErrorText(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason);
}

} // namespace

#ifdef Q_OS_UNIX
QByteArray readHeaderBytes(const QString& path) {
    // No O_CREAT: checking a name must never make a file of it.
    int fd = -1;
    do
        fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int error = errno;
        switch (error) {
        case ENOENT:
        case ENOTDIR:
            throw AppError(QStringLiteral("File not found"));
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
        case EISDIR:
            throw AppError(QStringLiteral("File access denied"));
        default:
            throw AppError(openErrorText(path, platform::systemErrorText(error)));
        }
    }

    QByteArray bytes(kHeaderTextLength, '\0');
    qsizetype got = 0;
    while (got < kHeaderTextLength) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(kHeaderTextLength - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            throw AppError(QStringLiteral("Cannot read file \"%1\". %2")
                               .arg(path, platform::systemErrorText(error)));
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    bytes.truncate(got);
    return bytes;
}
#else
QByteArray readHeaderBytes(const QString& path) {
    QFile file(path);
    if (!file.exists())
        throw AppError(QStringLiteral("File not found"));
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        throw AppError(file.error() == QFileDevice::PermissionsError
                           ? QStringLiteral("File access denied")
                           : openErrorText(path, file.errorString()));
    return file.read(kHeaderTextLength);
}
#endif

bool isJetHeaderText(const QByteArray& bytes) {
    // A one-character text loses its character exactly when its code is 0 to 32.
    QByteArray text;
    for (const char byte : bytes)
        if (quint8(byte) > 32)
            text.append(byte);
    return text == "StandardJetDB";
}
