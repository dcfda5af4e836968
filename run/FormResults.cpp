// Placeholder until the storing of read forms lands.
#include "run/FormResults.h"

#include "core/AppError.h"

std::vector<ReadSheet> readFormsForDatabase(Database&, const QStringList& files,
                                            const ReadProgress& progress) {
    return readFormFiles(files, {}, progress);
}

QString sheetPupilName(Database&, const ReadSheet& sheet) {
    return QStringLiteral(u"Öğrenci %1").arg(sheet.number);
}

ResultBatch storeReadSheets(Database&, const std::vector<ReadSheet>&, const QDateTime&) {
    throw AppError(QStringLiteral(u"Okunan formlar henüz saklanamıyor."));
}
