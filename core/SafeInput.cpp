#include "core/SafeInput.h"

#include "core/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

QString realPathOf(const QString& path) {
    const QFileInfo info(path);
    const QString real = info.canonicalFilePath();
    return real.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : real;
}

bool isInside(const QString& path, const QString& folder) {
    return path == folder || path.startsWith(folder + u'/');
}

InputFile refused(const QString& reason) {
    InputFile file;
    file.refusal = reason;
    return file;
}

} // namespace

InputFile readRegularFile(const QString& path, qint64 limit) {
    const platform::OpenedFile opened = platform::openForReading(path);
    if (opened.handle < 0)
        return refused(
            QStringLiteral(u"dosya açılamadı (%1)").arg(platform::systemErrorText(opened.error)));
    QFile reader;
    if (!reader.open(opened.handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        platform::closeFile(opened.handle);
        return refused(QStringLiteral(u"dosya açılamadı (%1)").arg(reader.errorString()));
    }
    InputFile file;
    file.realPath = opened.realPath.isEmpty() ? realPathOf(path) : opened.realPath;
    if (!opened.regular) {
        file.refusal = QStringLiteral(u"sıradan bir dosya değil (klasör, aygıt ya da "
                                      u"adlandırılmış boru)");
        return file;
    }
    if (opened.size <= limit)
        file.bytes = reader.read(limit + 1); // a file that grew meanwhile is still bounded
    if (reader.error() != QFileDevice::NoError) {
        file.bytes.clear();
        file.refusal = QStringLiteral(u"dosya okunamadı (%1)").arg(reader.errorString());
    } else if (opened.size > limit || file.bytes.size() > limit) {
        file.bytes.clear();
        file.tooBig = true;
        file.refusal = QStringLiteral(u"dosya çok büyük (%1 MiB sınırını aşıyor)")
                           .arg(double(limit) / (1024 * 1024), 0, 'g', 3);
    }
    return file;
}

FolderInput::FolderInput(const QString& folder, const QStringList& privatePaths)
    : m_folder(folder), m_root(QFileInfo(folder).canonicalFilePath()) {
    for (const QString& path : privatePaths)
        if (!path.isEmpty())
            m_private << realPathOf(path);
}

QString FolderInput::refusalFor(const QString& realPath) const {
    for (const QString& own : m_private)
        if (isInside(realPath, own))
            return QStringLiteral(u"programın kendi veri dosyası");
    if (m_root.isEmpty() || !realPath.startsWith(m_root + u'/'))
        return QStringLiteral(u"çıktı klasörünün dışında");
    const QStringList below = realPath.mid(m_root.size() + 1).split(u'/');
    if (std::any_of(below.cbegin(), below.cend(),
                    [](const QString& name) { return name.startsWith(u'.'); }))
        return QStringLiteral(u"gizli bir dosya ya da gizli bir klasörde");
    return {};
}

QString FolderInput::nameOf(const QString& path) const {
    if (!m_root.isEmpty() && path.startsWith(m_root + u'/'))
        return path.mid(m_root.size() + 1);
    return QDir(m_folder).relativeFilePath(path);
}

InputFile FolderInput::read(const QString& path, qint64 limit) const {
    const QString real = QFileInfo(path).canonicalFilePath();
    if (real.isEmpty())
        return refused(QStringLiteral(u"dosya bulunamadı"));
    if (const QString why = refusalFor(real); !why.isEmpty())
        return refused(why);
    InputFile file = readRegularFile(real, limit);
    // The name may have been pointed elsewhere between the check and the open.
    if (file.ok())
        if (const QString why = refusalFor(file.realPath); !why.isEmpty())
            return refused(why);
    return file;
}
