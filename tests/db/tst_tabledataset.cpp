// The table dataset: cursor, posting, deletion, filter, field access and its
// two error texts, on real database files.

#include "DbTestSupport.h"
#include "core/AppError.h"
#include "db/Database.h"
#include "db/DatasetModel.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace dbtest;

namespace {

const QString kTest = QStringLiteral("testadi");
const QString kNo = QStringLiteral("soruno");
const QString kFile = QStringLiteral("dosya");
const QString kKey = QStringLiteral("dc");

void appendRow(TableDataset& ds, const QString& name, qint32 no) {
    ds.append();
    ds.setFieldValue(kTest, name);
    ds.setFieldValue(kNo, no);
    ds.next();
}

QList<qint32> visibleNumbers(TableDataset& ds) {
    QList<qint32> numbers;
    for (int r = 0; r < ds.recordCount(); ++r)
        numbers.append(ds.value(r, kNo).toInt());
    return numbers;
}

} // namespace

class tst_TableDataset : public QObject {
    Q_OBJECT
private slots:
    void init();
    void closedDatasetAndMissingNames();
    void withoutDatabaseDoesNotOpen();
    void emptyTable();
    void appendOrderAndCursorMoves();
    void postingStoresOnlySetRows();
    void deletion();
    void filterIsBoundValue();
    void fieldTypesAndNulls();
    void datasetsOfOneFileShareAConnection();
    void gridOperations();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void tst_TableDataset::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = newDatabase(*m_dir);
}

void tst_TableDataset::closedDatasetAndMissingNames() {
    TableDataset ds(QStringLiteral("websoru"));
    const QString closed =
        QStringLiteral("websoru: Cannot perform this operation on a closed dataset");
    DB_EXPECT_ERROR(ds.first(), closed);
    DB_EXPECT_ERROR(ds.next(), closed);
    DB_EXPECT_ERROR(ds.edit(), closed);
    DB_EXPECT_ERROR(ds.append(), closed);
    DB_EXPECT_ERROR(ds.deleteRow(), closed);
    DB_EXPECT_ERROR(ds.post(), closed);
    DB_EXPECT_ERROR(ds.setFiltered(false), closed);
    DB_EXPECT_ERROR(ds.recordCount(), closed);
    DB_EXPECT_ERROR(ds.fieldValue(kKey), closed);
    DB_EXPECT_ERROR(ds.database(), closed);
    QVERIFY(ds.eof());
    QCOMPARE(ds.visibleRowCount(), 0);

    // A missing table leaves the dataset closed, with the engine's text.
    ds.setDatabase(Database::shared(m_path));
    ds.setTableName(QStringLiteral("yok"));
    DB_EXPECT_ERROR(ds.open(), QStringLiteral("no such table: yok"));
    QVERIFY(!ds.isOpen());
    DB_EXPECT_ERROR(ds.first(), closed);

    auto soru = openTable(QStringLiteral("websoru"), QStringLiteral("websoru"), m_path);
    const QString missing = QStringLiteral("websoru: Field 'cevap' not found");
    DB_EXPECT_ERROR(soru->fieldValue(QStringLiteral("cevap")), missing);
    soru->append();
    DB_EXPECT_ERROR(soru->setFieldValue(QStringLiteral("cevap"), 1), missing);
    DB_EXPECT_ERROR(soru->setFilter(QStringLiteral("cevap"), 1), missing);
    QCOMPARE(soru->fieldValue(QStringLiteral("DC")), QVariant()); // names ignore case
}

// A dataset given no database does not open.
void tst_TableDataset::withoutDatabaseDoesNotOpen() {
    TableDataset ds(QStringLiteral("webtable"));
    ds.setTableName(QStringLiteral("webtablo"));
    QVERIFY_THROWS_EXCEPTION(AppError, ds.open());
    QVERIFY(!ds.isOpen());
}

void tst_TableDataset::emptyTable() {
    auto ds = openTable(QStringLiteral("websoru"), QStringLiteral("websoru"), m_path);
    QVERIFY(ds->eof());
    QCOMPARE(ds->recordCount(), 0);
    QCOMPARE(ds->currentIndex(), -1);
    QCOMPARE(ds->fieldValue(kKey), QVariant());
    ds->first();
    QVERIFY(ds->eof());
    ds->next();
    QVERIFY(ds->eof());
    DB_EXPECT_ERROR(ds->deleteRow(),
                    QStringLiteral("websoru: Cannot perform this operation on an empty dataset"));
}

void tst_TableDataset::appendOrderAndCursorMoves() {
    auto ds = openTable(QStringLiteral("websoru"), QStringLiteral("websoru"), m_path);
    for (qint32 n : {3, 1, 2})
        appendRow(*ds, QStringLiteral("t"), n);
    // Posting by Next leaves the cursor on the stored last row, end flag set.
    QVERIFY(ds->eof());
    QCOMPARE(ds->fieldValue(kNo), QVariant(qint32(2)));

    ds->first();
    QVERIFY(!ds->eof());
    QCOMPARE(visibleNumbers(*ds), (QList<qint32>{3, 1, 2})); // the order they were appended
    QCOMPARE(ds->fieldValue(kNo), QVariant(qint32(3)));
    ds->next();
    ds->next();
    QVERIFY(!ds->eof());
    QCOMPARE(ds->fieldValue(kNo), QVariant(qint32(2)));
    ds->next(); // past the last: stays, end flag set
    QVERIFY(ds->eof());
    QCOMPARE(ds->fieldValue(kNo), QVariant(qint32(2)));

    // The same order after reopening.
    ds->close();
    ds->open();
    QCOMPARE(visibleNumbers(*ds), (QList<qint32>{3, 1, 2}));
    QCOMPARE(ds->currentIndex(), 0);
}

void tst_TableDataset::postingStoresOnlySetRows() {
    auto ds = openTable(QStringLiteral("websoru"), QStringLiteral("websoru"), m_path);
    // Edit with no visible row starts a new row; an unset new row is dropped.
    ds->edit();
    QCOMPARE(ds->state(), TableDataset::State::Insert);
    ds->edit(); // no effect while adding
    QCOMPARE(ds->state(), TableDataset::State::Insert);
    QCOMPARE(ds->recordCount(), 0);
    ds->first();
    QCOMPARE(ds->state(), TableDataset::State::Browse);
    QCOMPARE(count(m_path, QStringLiteral("websoru")), 0);

    appendRow(*ds, QStringLiteral("a"), 1);
    ds->append();
    ds->setFieldValue(kKey, QStringLiteral("B"));
    QCOMPARE(ds->recordCount(), 1); // the unposted row does not count
    QCOMPARE(ds->fieldValue(kKey), QVariant(QStringLiteral("B")));
    ds->cancel();
    QCOMPARE(ds->recordCount(), 1);
    QCOMPARE(ds->fieldValue(kNo), QVariant(qint32(1))); // back on the row before

    // An edited row is stored by the next cursor move; an untouched edit writes nothing.
    ds->edit();
    ds->setFieldValue(kKey, QStringLiteral("c"));
    QCOMPARE(query(m_path, QStringLiteral("SELECT dc FROM websoru")).value(0).value(0), QVariant());
    ds->first();
    QCOMPARE(query(m_path, QStringLiteral("SELECT dc FROM websoru")).value(0).value(0),
             QVariant(QStringLiteral("c")));
    ds->edit();
    ds->next();
    QCOMPARE(ds->state(), TableDataset::State::Browse);

    // Field writes outside editing are refused rather than lost.
    DB_EXPECT_ERROR(ds->setFieldValue(kKey, QStringLiteral("d")),
                    QStringLiteral("websoru: Dataset not in edit or insert mode"));
}

void tst_TableDataset::deletion() {
    auto ds = openTable(QStringLiteral("websoru"), QStringLiteral("websoru"), m_path);
    for (qint32 n = 1; n <= 4; ++n)
        appendRow(*ds, QStringLiteral("t"), n);
    ds->first();
    ds->next(); // on 2, with a pending change that deletion drops
    ds->edit();
    ds->setFieldValue(kKey, QStringLiteral("A"));
    ds->deleteRow();
    QCOMPARE(ds->fieldValue(kNo), QVariant(qint32(3))); // the following row
    QCOMPARE(ds->state(), TableDataset::State::Browse);
    ds->next();
    ds->deleteRow(); // the last: the cursor goes to the preceding row
    QCOMPARE(ds->fieldValue(kNo), QVariant(qint32(3)));
    QVERIFY(!ds->eof());

    // On a new, unposted row Delete abandons it.
    ds->append();
    ds->setFieldValue(kNo, 99);
    ds->deleteRow();
    QCOMPARE(visibleNumbers(*ds), (QList<qint32>{1, 3}));
    QCOMPARE(query(m_path, QStringLiteral("SELECT soruno FROM websoru ORDER BY rowid")),
             (QList<QVariantList>{{qint64(1)}, {qint64(3)}}));

    ds->deleteRow();
    ds->deleteRow();
    QVERIFY(ds->eof());
    QCOMPARE(ds->currentIndex(), -1);
    QCOMPARE(count(m_path, QStringLiteral("websoru")), 0);
}

void tst_TableDataset::filterIsBoundValue() {
    auto ds = openTable(QStringLiteral("websoru"), QStringLiteral("websoru"), m_path);
    const QString quoted = QStringLiteral("O'Brien");
    const QString injection = QStringLiteral("x' OR '1'='1");
    appendRow(*ds, quoted, 1);
    appendRow(*ds, QStringLiteral("other"), 2);
    appendRow(*ds, quoted, 3);
    appendRow(*ds, QString(), 4);

    // Text set while the switch is off is only recorded.
    ds->setFilter(kTest, quoted);
    QCOMPARE(ds->filterText(), QStringLiteral("testadi='O'Brien'"));
    QCOMPARE(ds->recordCount(), 4);

    ds->setFiltered(true);
    QCOMPARE(visibleNumbers(*ds), (QList<qint32>{1, 3}));
    QCOMPARE(ds->currentIndex(), 0);

    ds->setFilter(kTest, injection); // refilters at once while on
    QCOMPARE(ds->recordCount(), 0);
    QVERIFY(ds->eof());

    ds->setFilter(kTest, QString());
    QCOMPARE(visibleNumbers(*ds), (QList<qint32>{4})); // an empty name is stored as empty text

    // Switching posts a pending change and goes to the first row.
    ds->edit();
    ds->setFieldValue(kKey, QStringLiteral("E"));
    ds->setFiltered(false);
    QCOMPARE(visibleNumbers(*ds), (QList<qint32>{1, 2, 3, 4}));
    QCOMPARE(ds->currentIndex(), 0);
    QCOMPARE(
        query(m_path, QStringLiteral("SELECT dc FROM websoru WHERE soruno = 4")).value(0).value(0),
        QVariant(QStringLiteral("E")));
    QCOMPARE(count(m_path, QStringLiteral("websoru")), 4);
}

void tst_TableDataset::fieldTypesAndNulls() {
    auto ds = openTable(QStringLiteral("websoru"), QStringLiteral("websoru"), m_path);
    ds->append();
    ds->setFieldValue(kNo, qint32(-2147483647 - 1));
    ds->setFieldValue(kFile, QStringLiteral("sınav ğüşöç.mht"));
    ds->first();
    ds->close();
    ds->open();
    const QVariant number = ds->fieldValue(kNo);
    QCOMPARE(number.typeId(), QMetaType::Int);
    QCOMPARE(number.toInt(), -2147483647 - 1);
    QCOMPARE(ds->fieldValue(kFile), QVariant(QStringLiteral("sınav ğüşöç.mht")));
    QVERIFY(ds->fieldValue(kKey).isNull());
    QVERIFY(ds->fieldValue(kTest).isNull());
    QVERIFY(ds->isIntegerField(kNo));
    QVERIFY(!ds->isIntegerField(kKey));

    // A value set back to null is stored as null.
    ds->edit();
    ds->setFieldValue(kFile, QVariant());
    ds->first();
    QCOMPARE(query(m_path, QStringLiteral("SELECT dosya IS NULL FROM websoru")).value(0).value(0),
             QVariant(qint64(1)));
}

void tst_TableDataset::datasetsOfOneFileShareAConnection() {
    auto soru = openTable(QStringLiteral("websoru"), QStringLiteral("websoru"), m_path);
    auto renk = openTable(QStringLiteral("webrenk"), QStringLiteral("webrenk"), m_path);
    QCOMPARE(&soru->database(), &renk->database());
    {
        // One transaction covers both datasets.
        Transaction transaction(soru->database());
        appendRow(*soru, QStringLiteral("a"), 1);
        renk->first();
        renk->edit();
        renk->setFieldValue(QStringLiteral("gezyer"), QStringLiteral("img/"));
        renk->next();
        QCOMPARE(count(m_path, QStringLiteral("websoru")), 0);
    }
    QCOMPARE(count(m_path, QStringLiteral("websoru")), 1);
    QCOMPARE(query(m_path, QStringLiteral("SELECT gezyer FROM webrenk")).value(0).value(0),
             QVariant(QStringLiteral("img/")));
}

void tst_TableDataset::gridOperations() {
    auto ds = openTable(QStringLiteral("websoru"), QStringLiteral("websoru"), m_path);
    for (qint32 n = 1; n <= 3; ++n)
        appendRow(*ds, QStringLiteral("t"), n);
    QSignalSpy current(ds.get(), &TableDataset::currentChanged);
    DatasetModel model(*ds);
    model.setColumns({{kKey, kKey}});
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    ds->moveTo(0);
    ds->edit();
    ds->setFieldValue(kKey, QStringLiteral("a"));
    QCOMPARE(ds->value(0, kKey), QVariant(QStringLiteral("a"))); // pending, shown
    ds->moveTo(2);                                               // posts row 0
    QCOMPARE(ds->currentIndex(), 2);
    QCOMPARE(
        query(m_path, QStringLiteral("SELECT dc FROM websoru WHERE soruno = 1")).value(0).value(0),
        QVariant(QStringLiteral("a")));
    QCOMPARE(current.last().at(0).toInt(), 2);
    QVERIFY(!changed.isEmpty());

    ds->append();
    QCOMPARE(ds->visibleRowCount(), 4); // the new row is shown after the last
    QCOMPARE(ds->recordCount(), 3);
    QCOMPARE(ds->currentIndex(), 3);
    ds->moveTo(1); // drops the unset new row
    QCOMPARE(ds->visibleRowCount(), 3);
    QCOMPARE(ds->currentIndex(), 1);
    ds->moveTo(10);
    QCOMPARE(ds->currentIndex(), 2);
}

QTEST_GUILESS_MAIN(tst_TableDataset)
#include "tst_tabledataset.moc"
