// Placeholder until the reader lands: every page is refused.
#include "forms/FormReading.h"

ReadSheet readSheet(const QImage&, const TestLookup&) {
    ReadSheet sheet;
    sheet.refused = QStringLiteral(u"Okuyucu henüz yok.");
    return sheet;
}

std::vector<ReadSheet> readFormFiles(const QStringList& files, const TestLookup&,
                                     const ReadProgress&) {
    std::vector<ReadSheet> sheets;
    for (const QString& file : files) {
        ReadSheet sheet;
        sheet.file = file;
        sheet.refused = QStringLiteral(u"Okuyucu henüz yok.");
        sheets.push_back(sheet);
    }
    return sheets;
}
