// The grid's model over the answer-key dataset: rows shown, editing and
// posting, the one-letter key column, and the current row kept in step.

#include "DbTestSupport.h"
#include "core/AppError.h"
#include "db/AnswerKey.h"
#include "db/DatasetModel.h"
#include "ui/AnswerKeyGrid.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QValidator>

using namespace dbtest;

class tst_DatasetModel : public QObject {
    Q_OBJECT
private slots:
    void init();
    void showsVisibleRows();
    void editingPostsWhenLeavingRow();
    void keyColumnTakesOneLetter();
    void currentRowFollowsBothWays();
    void typingIntoTheGrid();
    void largePreparationWithGrid();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    std::unique_ptr<TableDataset> m_websoru;
    std::unique_ptr<DatasetModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void tst_DatasetModel::init() {
    m_tester.reset();
    m_model.reset();
    m_websoru.reset();
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = newDatabase(*m_dir);
    m_websoru = openTable(QStringLiteral("websoru"), QStringLiteral("websoru"), m_path);
    m_model = std::make_unique<DatasetModel>(*m_websoru);
    // Every change the dataset announces is checked against the model rules.
    m_tester = std::make_unique<QAbstractItemModelTester>(
        m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_model->setColumns({{QStringLiteral("soruno"), QStringLiteral("Soru No"), Qt::AlignRight},
                         {QStringLiteral("dosya"), QStringLiteral("Dosya Adı")},
                         {QStringLiteral("dc"), QStringLiteral("Doğru Cevap"), Qt::AlignCenter,
                          [](const QString& text) { return isAnswerLetter(text); }}});
}

void tst_DatasetModel::showsVisibleRows() {
    fillAnswerKey(*m_websoru, QStringLiteral("a"), QStringLiteral("t"), 2);
    fillAnswerKey(*m_websoru, QStringLiteral("b"), QStringLiteral("u"), 3); // filter on b
    QCOMPARE(m_model->rowCount(), 3);
    QCOMPARE(m_model->columnCount(), 3);
    QCOMPARE(m_model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Doğru Cevap"));
    QCOMPARE(m_model->data(m_model->index(2, 0)), QVariant(qint32(3)));
    QCOMPARE(m_model->data(m_model->index(0, 1)), QVariant(QStringLiteral("us1.mht")));
    QVERIFY(m_model->data(m_model->index(0, 2)).isNull());
    QCOMPARE(m_model->data(m_model->index(0, 0), Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::AlignRight);

    m_websoru->setFiltered(false);
    QCOMPARE(m_model->rowCount(), 5);
    m_websoru->append(); // a new row shows after the last until it is dropped
    QCOMPARE(m_model->rowCount(), 6);
    m_websoru->first();
    QCOMPARE(m_model->rowCount(), 5);
    m_websoru->close();
    QCOMPARE(m_model->rowCount(), 0);
}

void tst_DatasetModel::editingPostsWhenLeavingRow() {
    fillAnswerKey(*m_websoru, QStringLiteral("a"), QStringLiteral("t"), 3);
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    QVERIFY(m_model->setData(m_model->index(0, 2), QStringLiteral("a")));
    QCOMPARE(m_model->data(m_model->index(0, 2)), QVariant(QStringLiteral("a")));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(m_websoru->state(), TableDataset::State::Edit);
    QCOMPARE(count(m_path, QStringLiteral("websoru WHERE dc IS NOT NULL")), 0);

    // Editing another row moves the dataset there and stores the row left.
    QVERIFY(m_model->setData(m_model->index(2, 1), QStringLiteral("başka.mht")));
    QCOMPARE(m_websoru->currentIndex(), 2);
    QCOMPARE(
        query(m_path, QStringLiteral("SELECT dc FROM websoru WHERE soruno = 1")).value(0).value(0),
        QVariant(QStringLiteral("a")));

    // Integer columns take whole numbers only; errors go to errorRaised.
    QSignalSpy errors(m_model.get(), &DatasetModel::errorRaised);
    QVERIFY(!m_model->setData(m_model->index(1, 0), QStringLiteral("iki")));
    QCOMPARE(errors.value(0).value(0).toString(),
             QStringLiteral("'iki' is not a valid integer value"));
    QVERIFY(m_model->setData(m_model->index(1, 0), QStringLiteral("12")));
    m_websoru->first();
    QCOMPARE(query(m_path, QStringLiteral("SELECT soruno FROM websoru ORDER BY rowid")),
             (QList<QVariantList>{{qint64(1)}, {qint64(12)}, {qint64(3)}}));
}

void tst_DatasetModel::keyColumnTakesOneLetter() {
    fillAnswerKey(*m_websoru, QStringLiteral("a"), QStringLiteral("t"), 1);
    const QModelIndex key = m_model->index(0, 2);
    for (const QString& bad : {QStringLiteral(" "), QStringLiteral("F"), QStringLiteral("AB"),
                               QStringLiteral("1"), QStringLiteral("Ç")})
        QVERIFY2(!m_model->setData(key, bad), qPrintable(bad));
    QCOMPARE(m_websoru->state(), TableDataset::State::Browse); // nothing was started
    for (const QString& good : {QStringLiteral("A"), QStringLiteral("e"), QStringLiteral("c")})
        QVERIFY(m_model->setData(key, good));
    QCOMPARE(m_websoru->fieldValue(QStringLiteral("dc")), QVariant(QStringLiteral("c")));
    // An emptied editor or a cleared cell takes the key away.
    QVERIFY(m_model->setData(key, QString()));
    QVERIFY(m_websoru->fieldValue(QStringLiteral("dc")).isNull());
    QVERIFY(m_model->setData(key, QStringLiteral("b")));
    QVERIFY(m_model->setData(key, QVariant()));
    QVERIFY(m_websoru->fieldValue(QStringLiteral("dc")).isNull());

    QVERIFY(!m_model->hasRule(1));
    QVERIFY(m_model->accepts(1, QStringLiteral("any text")));
    QVERIFY(!m_model->accepts(2, QStringLiteral("f")));
    QVERIFY(m_model->accepts(2, QStringLiteral("d")));
}

void tst_DatasetModel::currentRowFollowsBothWays() {
    QTableView view;
    view.setModel(m_model.get());
    m_model->setSelectionModel(view.selectionModel());
    fillAnswerKey(*m_websoru, QStringLiteral("a"), QStringLiteral("t"), 5);
    QCOMPARE(view.currentIndex().row(), 0);

    m_websoru->moveTo(3);
    QCOMPARE(view.currentIndex().row(), 3);

    // The user moves in the grid: the dataset follows and stores the row left.
    QVERIFY(m_model->setData(m_model->index(3, 2), QStringLiteral("B")));
    view.setCurrentIndex(m_model->index(1, 2));
    QCOMPARE(m_websoru->currentIndex(), 1);
    QCOMPARE(m_websoru->state(), TableDataset::State::Browse);
    QCOMPARE(count(m_path, QStringLiteral("websoru WHERE dc = 'B'")), 1);

    // The walk stopping at a question without a key leaves the grid on it.
    for (int row : {0, 1})
        QVERIFY(m_model->setData(m_model->index(row, 2), QStringLiteral("A")));
    QVERIFY_THROWS_EXCEPTION(MissingKey, readAnswerKey(*m_websoru, 5));
    QCOMPARE(view.currentIndex().row(), 2);
}

void tst_DatasetModel::typingIntoTheGrid() {
    m_tester.reset();
    m_model.reset(); // the grid brings its own
    AnswerKeyGrid view;
    view.attach(*m_websoru, {});
    view.bindColumns(200);
    const QAbstractItemModel* model = view.model();
    QAbstractItemModelTester tester(view.model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    fillAnswerKey(*m_websoru, QStringLiteral("a"), QStringLiteral("t"), 2);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    view.setCurrentIndex(model->index(1, 2));
    view.edit(model->index(1, 2));
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    QCOMPARE(editor->maxLength(), 1);
    QTest::keyClicks(editor, QStringLiteral("xyd"));
    QCOMPARE(editor->text(), QStringLiteral("d"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(m_websoru->fieldValue(QStringLiteral("dc")), QVariant(QStringLiteral("d")));
    // Typed, not yet stored: the walk stores it.
    QCOMPARE(count(m_path, QStringLiteral("websoru WHERE dc IS NOT NULL")), 0);
    QVERIFY_THROWS_EXCEPTION(MissingKey, readAnswerKey(*m_websoru, 2));
    QCOMPARE(count(m_path, QStringLiteral("websoru WHERE dc = 'd'")), 1);
}

void tst_DatasetModel::largePreparationWithGrid() {
    QTableView view;
    view.setModel(m_model.get());
    m_model->setSelectionModel(view.selectionModel());
    view.show();
    fillAnswerKey(*m_websoru, QStringLiteral("a"), QStringLiteral("t"), 10000);
    clearAnswerKey(*m_websoru);
    fillAnswerKey(*m_websoru, QStringLiteral("a"), QStringLiteral("t"), 10000);
    QCOMPARE(m_model->rowCount(), 10000);
    QCOMPARE(view.currentIndex().row(), 0);
}

QTEST_MAIN(tst_DatasetModel)
#include "tst_datasetmodel.moc"
