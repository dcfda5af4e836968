// The settings record: load field by field with the null error, save with the
// option count converted before anything is stored.

#include "DbTestSupport.h"
#include "core/AppError.h"
#include "db/Settings.h"

#include <QTemporaryDir>
#include <QTest>

using namespace dbtest;

namespace {

const QString kNullError =
    QStringLiteral("Could not convert variant of type (Null) into type (String)");

std::array<QString, 8> sampleTexts(const QString& options) {
    return {QStringLiteral("#000001"),   QStringLiteral("#000002"),
            QStringLiteral("kırmızı"),   QStringLiteral("#000004"),
            QStringLiteral("#000005"),   QStringLiteral("#000006"),
            QStringLiteral("C:\\img\\"), options};
}

QStringList load(TableDataset& webrenk, QString* error = nullptr) {
    QStringList applied;
    try {
        loadSettings(webrenk, [&](int index, const QString& text) {
            QCOMPARE(index, applied.size());
            applied.append(text);
        });
    } catch (const AppError& e) {
        if (error)
            *error = e.text();
    }
    return applied;
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void init();
    void defaultRecordLoads();
    void noRowThenSaveCreatesIt();
    void nullStopsAtItsField();
    void failedConversionStoresNothingThenOrLater();
    void severalRowsUseTheFirst();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestSettings::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = newDatabase(*m_dir);
}

void TestSettings::defaultRecordLoads() {
    auto webrenk = openTable(QStringLiteral("webrenk"), QStringLiteral("webrenk"), m_path);
    QCOMPARE(load(*webrenk), (QStringList{QStringLiteral("#B86397"), QStringLiteral("#B86397"),
                                          QStringLiteral("#B86397"), QStringLiteral("#F1CFE4"),
                                          QStringLiteral("#F1CFE4"), QStringLiteral("#DA70D6"),
                                          QString(), QStringLiteral("4")}));
    QCOMPARE(variantText(QVariant(qint32(-12))), QStringLiteral("-12"));
}

void TestSettings::noRowThenSaveCreatesIt() {
    query(m_path, QStringLiteral("DELETE FROM webrenk"));
    {
        auto webrenk = openTable(QStringLiteral("webrenk"), QStringLiteral("webrenk"), m_path);
        QString error;
        QCOMPARE(load(*webrenk, &error), QStringList()); // nothing applied
        QCOMPARE(error, kNullError);

        saveSettings(*webrenk, sampleTexts(QStringLiteral(" 5")));
        QCOMPARE(count(m_path, QStringLiteral("webrenk")), 1);
    }
    // The next start loads what was saved.
    auto webrenk = openTable(QStringLiteral("webrenk"), QStringLiteral("webrenk"), m_path);
    const auto texts = sampleTexts(QStringLiteral("5"));
    const QStringList expected(texts.begin(), texts.end());
    QCOMPARE(load(*webrenk), expected);
    QCOMPARE(query(m_path, QStringLiteral("SELECT typeof(siksay) FROM webrenk")).value(0).value(0),
             QVariant(QStringLiteral("integer")));
}

void TestSettings::nullStopsAtItsField() {
    query(m_path, QStringLiteral("UPDATE webrenk SET soruac = NULL, bd = NULL"));
    auto webrenk = openTable(QStringLiteral("webrenk"), QStringLiteral("webrenk"), m_path);
    QString error;
    QCOMPARE(load(*webrenk, &error).size(), 3); // sorus, cevaps, sonucs applied
    QCOMPARE(error, kNullError);
}

void TestSettings::failedConversionStoresNothingThenOrLater() {
    auto webrenk = openTable(QStringLiteral("webrenk"), QStringLiteral("webrenk"), m_path);
    DB_EXPECT_ERROR(saveSettings(*webrenk, sampleTexts(QString())),
                    QStringLiteral("'' is not a valid integer value"));
    QCOMPARE(webrenk->state(), TableDataset::State::Browse);
    DB_EXPECT_ERROR(saveSettings(*webrenk, sampleTexts(QStringLiteral("4 "))),
                    QStringLiteral("'4 ' is not a valid integer value"));
    // Neither failed save reaches the file, not even with a later cursor move.
    webrenk->first();
    webrenk->next();
    QCOMPARE(query(m_path, QStringLiteral("SELECT sorus, siksay FROM webrenk")),
             (QList<QVariantList>{{QStringLiteral("#B86397"), qint64(4)}}));
}

void TestSettings::severalRowsUseTheFirst() {
    query(m_path, QStringLiteral("INSERT INTO webrenk VALUES ('x','x','x','x','x','x','x',2)"));
    auto webrenk = openTable(QStringLiteral("webrenk"), QStringLiteral("webrenk"), m_path);
    QCOMPARE(load(*webrenk).value(7), QStringLiteral("4"));
    webrenk->next(); // the cursor elsewhere: saving still goes to the first row
    saveSettings(*webrenk, sampleTexts(QStringLiteral("$A")));
    QCOMPARE(query(m_path, QStringLiteral("SELECT sorus, siksay FROM webrenk ORDER BY rowid")),
             (QList<QVariantList>{{QStringLiteral("#000001"), qint64(10)},
                                  {QStringLiteral("x"), qint64(2)}}));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
