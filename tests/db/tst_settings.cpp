// The settings record: load field by field with the null error, save with the
// option count converted before anything is stored.

#include "DbTestSupport.h"
#include "core/AppError.h"
#include "core/IntConversion.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/Settings.h"

#include <QFile>

#include <QTemporaryDir>
#include <QTest>

using namespace dbtest;

namespace {

const QString kNullError =
    QStringLiteral("Could not convert variant of type (Null) into type (String)");

// The record as the window saves it: the option count converted before anything is stored.
void saveTexts(TableDataset& webrenk, const QString& options) {
    Settings settings;
    settings.siksay = strToInt(options);
    settings.sorus = QStringLiteral("#000001");
    settings.cevaps = QStringLiteral("#000002");
    settings.sonucs = QStringLiteral("kırmızı");
    settings.soruac = QStringLiteral("#000004");
    settings.ace = QStringLiteral("#000005");
    settings.bd = QStringLiteral("#000006");
    settings.gezyer = QStringLiteral("C:\\img\\");
    settings.sure = 40;
    settings.yanlis = 4;
    settings.dogrular = false;
    settings.kitapcik = 4;
    saveSettings(webrenk, settings);
}

// Each field as text, in load order, up to the one that stopped the load.
QStringList load(TableDataset& webrenk, QString* error = nullptr) {
    QStringList applied;
    Settings settings;
    try {
        loadSettings(webrenk, settings, [&](const SettingsField& field) {
            applied.append(std::visit(
                [&settings](auto member) { return QVariant(settings.*member).toString(); },
                field.member));
        });
    } catch (const AppError& e) {
        if (error)
            *error = e.text();
    }
    return applied;
}

const QStringList kSaved = {
    QStringLiteral("#000001"),   QStringLiteral("#000002"), QStringLiteral("kırmızı"),
    QStringLiteral("#000004"),   QStringLiteral("#000005"), QStringLiteral("#000006"),
    QStringLiteral("C:\\img\\"), QStringLiteral("5"),       QStringLiteral("true"),
    QStringLiteral("40"),        QStringLiteral("4"),       QStringLiteral("false"),
    QStringLiteral("4")};

// The record of a new file, as loaded.
const QStringList kDefaults = {QStringLiteral("#B86397"),
                               QStringLiteral("#B86397"),
                               QStringLiteral("#B86397"),
                               QStringLiteral("#F1CFE4"),
                               QStringLiteral("#F1CFE4"),
                               QStringLiteral("#DA70D6"),
                               QString(),
                               QStringLiteral("4"),
                               QStringLiteral("true"),
                               QStringLiteral("0"),
                               QStringLiteral("3"),
                               QStringLiteral("true"),
                               QStringLiteral("1")};

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_Settings : public QObject {
    Q_OBJECT
private slots:
    void init();
    void defaultRecordLoads();
    void noRowThenSaveCreatesIt();
    void nullStopsAtItsField();
    void failedConversionStoresNothingThenOrLater();
    void severalRowsUseTheFirst();
    void olderFileIsUpgraded_data();
    void olderFileIsUpgraded();
    void newerFileIsRefusedUntouched();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void tst_Settings::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = newDatabase(*m_dir);
}

void tst_Settings::defaultRecordLoads() {
    auto webrenk = openTable(QStringLiteral("webrenk"), QStringLiteral("webrenk"), m_path);
    QCOMPARE(load(*webrenk), kDefaults);
    query(m_path, QStringLiteral("UPDATE webrenk SET kitapcik = 3")); // not a booklet count
    QCOMPARE(load(*webrenk).constLast(), QStringLiteral("1"));
    QCOMPARE(variantText(QVariant(qint32(-12))), QStringLiteral("-12"));
}

void tst_Settings::noRowThenSaveCreatesIt() {
    query(m_path, QStringLiteral("DELETE FROM webrenk"));
    {
        auto webrenk = openTable(QStringLiteral("webrenk"), QStringLiteral("webrenk"), m_path);
        QString error;
        QCOMPARE(load(*webrenk, &error), QStringList()); // nothing applied
        QCOMPARE(error, kNullError);

        saveTexts(*webrenk, QStringLiteral(" 5"));
        QCOMPARE(count(m_path, QStringLiteral("webrenk")), 1);
    }
    // The next start loads what was saved.
    auto webrenk = openTable(QStringLiteral("webrenk"), QStringLiteral("webrenk"), m_path);
    QCOMPARE(load(*webrenk), kSaved);
    QCOMPARE(query(m_path, QStringLiteral("SELECT typeof(siksay) FROM webrenk")).value(0).value(0),
             QVariant(QStringLiteral("integer")));
}

void tst_Settings::nullStopsAtItsField() {
    query(m_path, QStringLiteral("UPDATE webrenk SET soruac = NULL, bd = NULL"));
    auto webrenk = openTable(QStringLiteral("webrenk"), QStringLiteral("webrenk"), m_path);
    QString error;
    QCOMPARE(load(*webrenk, &error).size(), 3); // sorus, cevaps, sonucs applied
    QCOMPARE(error, kNullError);
}

void tst_Settings::failedConversionStoresNothingThenOrLater() {
    auto webrenk = openTable(QStringLiteral("webrenk"), QStringLiteral("webrenk"), m_path);
    DB_EXPECT_ERROR(saveTexts(*webrenk, QString()),
                    QStringLiteral("'' is not a valid integer value"));
    QCOMPARE(webrenk->state(), TableDataset::State::Browse);
    DB_EXPECT_ERROR(saveTexts(*webrenk, QStringLiteral("4 ")),
                    QStringLiteral("'4 ' is not a valid integer value"));
    // Neither failed save reaches the file, not even with a later cursor move.
    webrenk->first();
    webrenk->next();
    QCOMPARE(query(m_path, QStringLiteral("SELECT sorus, siksay FROM webrenk")),
             (QList<QVariantList>{{QStringLiteral("#B86397"), qint64(4)}}));
}

void tst_Settings::severalRowsUseTheFirst() {
    query(m_path,
          QStringLiteral("INSERT INTO webrenk VALUES ('x','x','x','x','x','x','x',2,0,0,0,0,2)"));
    auto webrenk = openTable(QStringLiteral("webrenk"), QStringLiteral("webrenk"), m_path);
    QCOMPARE(load(*webrenk).value(7), QStringLiteral("4"));
    webrenk->next(); // the cursor elsewhere: saving still goes to the first row
    saveTexts(*webrenk, QStringLiteral("$A"));
    QCOMPARE(query(m_path, QStringLiteral("SELECT sorus, siksay FROM webrenk ORDER BY rowid")),
             (QList<QVariantList>{{QStringLiteral("#000001"), qint64(10)},
                                  {QStringLiteral("x"), qint64(2)}}));
}

// A file of the first program (made by its dorvana-newdb), or one of a later
// version, gets the later fields with their defaults in one step and keeps
// what it held.
void tst_Settings::olderFileIsUpgraded_data() {
    QTest::addColumn<QString>("change"); // statements made to the old file before it is opened
    QTest::addColumn<QStringList>("expected");
    const QStringList& defaults = kDefaults;
    QTest::newRow("as made") << QString() << defaults;
    QStringList saved = defaults;
    saved[0] = QStringLiteral("#010203");
    saved[6] = QStringLiteral("resim/");
    saved[7] = QStringLiteral("2");
    QTest::newRow("settings saved")
        << QStringLiteral("UPDATE webrenk SET sorus='#010203', gezyer='resim/', siksay=2") << saved;
    saved = defaults;
    saved[8] = QStringLiteral("false");
    saved[10] = QStringLiteral("4");
    QTest::newRow("version 2, single page off")
        << QStringLiteral("ALTER TABLE webrenk ADD COLUMN teksayfa INTEGER DEFAULT 0;"
                          "ALTER TABLE webrenk ADD COLUMN sure INTEGER DEFAULT 0;"
                          "ALTER TABLE webrenk ADD COLUMN yanlis INTEGER DEFAULT 4;"
                          "CREATE TABLE websinav (kimlik TEXT PRIMARY KEY, testadi TEXT);"
                          "CREATE TABLE websonuc (no INTEGER PRIMARY KEY, kimlik TEXT, ad TEXT);"
                          "PRAGMA user_version = 2")
        << saved;
    saved[7] = QStringLiteral("5");
    saved[11] = QStringLiteral("false");
    QTest::newRow("version 3, settings and a test kept")
        << QStringLiteral("ALTER TABLE webrenk ADD COLUMN teksayfa INTEGER DEFAULT 0;"
                          "ALTER TABLE webrenk ADD COLUMN sure INTEGER DEFAULT 0;"
                          "ALTER TABLE webrenk ADD COLUMN yanlis INTEGER DEFAULT 4;"
                          "ALTER TABLE webrenk ADD COLUMN dogrular INTEGER DEFAULT 0;"
                          "UPDATE webrenk SET siksay=5;"
                          "CREATE TABLE websinav (kimlik TEXT PRIMARY KEY, testadi TEXT);"
                          "INSERT INTO websinav VALUES ('abc', 'Deneme');"
                          "CREATE TABLE websonuc (no INTEGER PRIMARY KEY, kimlik TEXT, deneme INT);"
                          "PRAGMA user_version = 3")
        << saved;
    QTest::newRow("version 4, sections kept")
        << QStringLiteral("ALTER TABLE webrenk ADD COLUMN teksayfa INTEGER DEFAULT 0;"
                          "ALTER TABLE webrenk ADD COLUMN sure INTEGER DEFAULT 0;"
                          "ALTER TABLE webrenk ADD COLUMN yanlis INTEGER DEFAULT 4;"
                          "ALTER TABLE webrenk ADD COLUMN dogrular INTEGER DEFAULT 0;"
                          "ALTER TABLE webrenk ADD COLUMN kitapcik INTEGER DEFAULT 1;"
                          "UPDATE webrenk SET siksay=5;"
                          "CREATE TABLE bolum (testadi TEXT, sira INTEGER, ad TEXT, ilk INTEGER, "
                          "son INTEGER, katsayi REAL);"
                          "INSERT INTO bolum VALUES ('Fizik 1', 1, 'Fen', 1, 5, 1);"
                          "PRAGMA user_version = 4")
        << saved;
}

void tst_Settings::olderFileIsUpgraded() {
    QFETCH(QString, change);
    QFETCH(QStringList, expected);
    const QString path = m_dir->filePath(QStringLiteral("old.MDB"));
    QVERIFY(QFile::copy(QStringLiteral(DORVANA_TEST_DATA "/db/version1.MDB"), path));
    QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    for (const QString& statement : change.split(u';', Qt::SkipEmptyParts))
        query(path, statement);
    {
        auto db = Database::shared(path);
        QVERIFY(schemaVersion(*db) < kCurrentSchemaVersion);
        upgradeSchema(*db);
        QCOMPARE(schemaVersion(*db), kCurrentSchemaVersion);
        upgradeSchema(*db); // nothing more to do
    }
    auto webrenk = openTable(QStringLiteral("webrenk"), QStringLiteral("webrenk"), path);
    QCOMPARE(load(*webrenk), expected);
    QCOMPARE(count(path, QStringLiteral("webrenk")), 1);
    QCOMPARE(count(path, QStringLiteral("sqlite_master WHERE name = 'bolum'")), 1);
    QCOMPARE(count(path, QStringLiteral("sqlite_master WHERE name = 'sinif'")), 1);
    QCOMPARE(count(path, QStringLiteral("bolum")),
             change.contains(QStringLiteral("'Fen'")) ? 1 : 0);
    if (change.contains(QStringLiteral("'Deneme'"))) // a stored test reads as one booklet
        QCOMPARE(query(path, QStringLiteral("SELECT testadi, bolumler, kitapciklar FROM websinav")),
                 (QList<QVariantList>{{QStringLiteral("Deneme"), QString(), QString()}}));
}

void tst_Settings::newerFileIsRefusedUntouched() {
    query(m_path, QStringLiteral("PRAGMA user_version = %1").arg(kCurrentSchemaVersion + 1));
    const QByteArray before = bytesOf(m_path);
    // Refused at the open, before anything (the journal mode too) is changed.
    DB_EXPECT_ERROR(Database::shared(m_path), newerSchemaText(kCurrentSchemaVersion + 1));
    QVERIFY(newerSchemaText(3).startsWith(QStringLiteral(u"Bu veritabanı dosyası")));
    QCOMPARE(bytesOf(m_path), before);
}

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_settings.moc"
