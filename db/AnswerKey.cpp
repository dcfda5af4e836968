#include "db/AnswerKey.h"

#include "core/TestRules.h"

#include "db/Database.h"
#include "db/Settings.h"
#include "db/TableDataset.h"

namespace {

const QString kTestName = QStringLiteral("testadi");
const QString kNumber = QStringLiteral("soruno");
const QString kFile = QStringLiteral("dosya");
const QString kKey = QStringLiteral("dc");

} // namespace

bool isAnswerLetter(const QString& text, qint32 optionCount) {
    return text.size() == 1 && isOptionLetter(text.at(0), optionCount);
}

QString questionFileName(const QString& stem, qint32 n) {
    return stem + u's' + QString::number(n) + QStringLiteral(".mht");
}

void clearAnswerKey(TableDataset& websoru) {
    Transaction transaction(websoru.database());
    websoru.setFiltered(false);
    websoru.deleteAll();
    transaction.commit();
}

void fillAnswerKey(TableDataset& websoru, const QString& testName, const QString& stem,
                   qint32 count) {
    Transaction transaction(websoru.database());
    websoru.setFilter(kTestName, testName);
    websoru.setFiltered(true);
    for (qint32 n = 1; n <= count; ++n) {
        websoru.append();
        websoru.setFieldValue(kTestName, testName);
        websoru.setFieldValue(kNumber, n);
        websoru.setFieldValue(kFile, questionFileName(stem, n));
        websoru.next();
    }
    websoru.first();
    transaction.commit();
}

std::vector<DataRecord> readAnswerKey(TableDataset& websoru, qint32 questionCount) {
    Transaction transaction(websoru.database());
    websoru.first();
    std::vector<DataRecord> records;
    if (questionCount > 0)
        records.reserve(std::size_t(questionCount));
    for (qint32 n = 1; n <= questionCount; ++n) {
        const QVariant key = websoru.fieldValue(kKey);
        if (key.isNull() || key.toString().trimmed().isEmpty())
            throw MissingKey(n);
        const QString file = variantText(websoru.fieldValue(kFile));
        records.push_back(DataRecord{file, key.toString()});
        websoru.next();
    }
    transaction.commit();
    return records;
}
