#include "db/Settings.h"

#include "core/AppError.h"
#include "core/IntConversion.h"
#include "db/Database.h"
#include "db/TableDataset.h"

const QStringList& settingsFields() {
    static const QStringList fields = {
        QStringLiteral("sorus"),  QStringLiteral("cevaps"), QStringLiteral("sonucs"),
        QStringLiteral("soruac"), QStringLiteral("ace"),    QStringLiteral("bd"),
        QStringLiteral("gezyer"), QStringLiteral("siksay"),
    };
    return fields;
}

QString variantText(const QVariant& value) {
    if (value.isNull())
        throw AppError(
            QStringLiteral("Could not convert variant of type (Null) into type (String)"));
    return value.toString();
}

void loadSettings(TableDataset& webrenk,
                  const std::function<void(int index, const QString& text)>& apply) {
    const QStringList& fields = settingsFields();
    for (int i = 0; i < fields.size(); ++i)
        apply(i, variantText(webrenk.fieldValue(fields.at(i))));
}

void saveSettings(TableDataset& webrenk, const std::array<QString, 8>& texts) {
    const QStringList& fields = settingsFields();
    const qint32 options = strToInt(texts[7]);

    Transaction transaction(webrenk.database());
    webrenk.first();
    webrenk.edit();
    for (int i = 0; i < 7; ++i)
        webrenk.setFieldValue(fields.at(i), texts[std::size_t(i)]);
    webrenk.setFieldValue(fields.at(7), options);
    webrenk.next();
    transaction.commit();
}
