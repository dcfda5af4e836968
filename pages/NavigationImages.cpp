#include "pages/NavigationImages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <optional>

namespace {

bool isInside(const QString& path, const QString& folder) {
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// The folder the page loads its images from, as a browser resolves the image
// address against the page's own address; nothing when it is not a local
// folder inside the output folder.
std::optional<QString> imageFolderInside(const QString& outputFolder,
                                         const QString& navFolderText) {
    QString text = navFolderText;
    // Browsers read "\" in a file address as "/".
    text.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('/')))
        return std::nullopt;

    const QString output = QDir::cleanPath(QFileInfo(outputFolder).absoluteFilePath());
    const QUrl page = QUrl::fromLocalFile(output + QStringLiteral("/page.htm"));
    const QUrl image = page.resolved(QUrl(text + QStringLiteral("ilk.gif")));
    if (!image.isValid() || !image.isLocalFile() || !image.host().isEmpty() || image.hasQuery() ||
        image.hasFragment() || image.fileName() != QStringLiteral("ilk.gif"))
        return std::nullopt;
    const QString folder = QDir::cleanPath(QFileInfo(image.toLocalFile()).absolutePath());
    if (!isInside(folder, output))
        return std::nullopt;

    // The folder must be there (a run makes no folders) and must not lead
    // elsewhere through a link.
    const QFileInfo found(folder);
    if (!found.isDir())
        return std::nullopt;
    const QString realOutput = QFileInfo(output).canonicalFilePath();
    if (realOutput.isEmpty() || !isInside(found.canonicalFilePath(), realOutput))
        return std::nullopt;
    return folder;
}

} // namespace

const std::vector<QString>& navigationImageNames() {
    static const std::vector<QString> names{QStringLiteral("ilk.gif"), QStringLiteral("geri.gif"),
                                            QStringLiteral("ileri.gif"), QStringLiteral("son.gif")};
    return names;
}

QByteArray navigationImage(const QString& name) {
    QFile resource(QStringLiteral(":/navigation/") + name);
    if (!resource.open(QIODevice::ReadOnly))
        return {};
    return resource.readAll();
}

std::vector<OutputFile> missingNavigationImages(const QString& outputFolder,
                                                const QString& navFolderText) {
    const std::optional<QString> folder = imageFolderInside(outputFolder, navFolderText);
    if (!folder)
        return {};
    std::vector<OutputFile> missing;
    for (const QString& name : navigationImageNames()) {
        const QString path = *folder + QLatin1Char('/') + name;
        const QFileInfo existing(path);
        if (existing.exists() || existing.isSymLink())
            continue;
        missing.push_back({path, navigationImage(name)});
    }
    return missing;
}

std::array<QByteArray, 4> readNavigationImages(const FolderInput& input,
                                               const QString& navFolderText, QStringList& notRead) {
    constexpr qint64 kMaxNavigationImageBytes = 4 * 1024 * 1024;
    const QString navFolder = QString(navFolderText).replace(u'\\', u'/');
    std::array<QByteArray, 4> images;
    for (std::size_t i = 0; i < images.size(); ++i) {
        const QString path = QDir(input.folder()).filePath(navFolder + navigationImageNames()[i]);
        if (!QFileInfo::exists(path))
            continue; // none of the teacher's (or a link to nothing): the page's own
        InputFile image = input.read(path, kMaxNavigationImageBytes);
        if (image.ok())
            images[i] = std::move(image.bytes);
        else
            notRead << QDir::cleanPath(navFolder + navigationImageNames()[i]) +
                           QStringLiteral(": ") + image.refusal;
    }
    return images;
}
