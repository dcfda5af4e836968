#include "run/FormPrint.h"

#include "core/AppError.h"
#include "db/ResultStore.h"
#include "forms/FormLayoutJson.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {

void writeWhole(const QString& path, const QByteArray& bytes) {
    // Replaced only when whole: a failed write leaves the old file as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw AppError(QStringLiteral(u"\"%1\" dosyası yazılamadı (%2).")
                           .arg(QDir::toNativeSeparators(path), file.errorString()));
}

} // namespace

QString noGeneratedTestText(const QString& stem) {
    return QStringLiteral(u"\"%1\" dosya adıyla oluşturulmuş bir test yok; optik formdan önce "
                          u"sayfaları oluşturun.")
        .arg(stem);
}

GeneratedTest printStoredForms(Database& db, const FormPrintRequest& request) {
    if (!request.layoutPath.isEmpty() && QFileInfo(request.layoutPath).absoluteFilePath() ==
                                             QFileInfo(request.pdfPath).absoluteFilePath())
        throw AppError(QStringLiteral(u"Yerleşim dosyası PDF dosyasıyla aynı olamaz."));
    const std::optional<GeneratedTest> test = newestTestOfStem(db, request.stem);
    if (!test)
        throw AppError(noGeneratedTestText(request.stem));
    // Everything is made before anything is written.
    const PrintedForms forms = printForms(*test, request.pupils, request.numberDigits);
    const QByteArray layout =
        request.layoutPath.isEmpty() ? QByteArray() : layoutJson(forms.layout);
    writeWhole(request.pdfPath, forms.pdf);
    if (!request.layoutPath.isEmpty())
        writeWhole(request.layoutPath, layout);
    return *test;
}

std::vector<FormPupil> formPupils(const std::vector<ClassMember>& members) {
    std::vector<FormPupil> pupils;
    pupils.reserve(members.size());
    for (const ClassMember& member : members)
        pupils.push_back({member.number, member.name});
    return pupils;
}
