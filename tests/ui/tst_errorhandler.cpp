#include "ScriptedPrompts.h"
#include "core/AppError.h"
#include "ui/ErrorHandler.h"
#include "ui/QtPrompts.h"

#include <QCoreApplication>
#include <QTest>

class tst_ErrorHandler : public QObject {
    Q_OBJECT
private slots:
    void title_data();
    void title();
    void fullStop_data();
    void fullStop();
    void uncaughtErrorIsShownAndProgramGoesOn();
    void stoppedCommandShowsNothingMore();
    void errorInsideAnEventIsShownAfterIt();
    void messageBoxKeysAndFont_data();
    void messageBoxKeysAndFont();
};

void tst_ErrorHandler::title_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::newRow("plain") << QStringLiteral("/opt/dorvana/dorvana") << QStringLiteral("Dorvana");
    QTest::newRow("extension") << QStringLiteral("/opt/x/dorvana.exe") << QStringLiteral("Dorvana");
    QTest::newRow("upper case") << QStringLiteral("C:/Prog/DORVANA.EXE")
                                << QStringLiteral("Dorvana");
    QTest::newRow("first dot cuts") << QStringLiteral("/a/my.tool.exe") << QStringLiteral("My");
    QTest::newRow("mixed case") << QStringLiteral("/a/dORVANA") << QStringLiteral("Dorvana");
}

void tst_ErrorHandler::title() {
    QFETCH(QString, path);
    QFETCH(QString, title);
    QCOMPARE(applicationTitleFor(path), title);
}

void tst_ErrorHandler::fullStop_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << QStringLiteral("File not found")
                            << QStringLiteral("File not found.");
    QTest::newRow("quote sorts before dot") << QStringLiteral("'x' is not a valid integer value")
                                            << QStringLiteral("'x' is not a valid integer value.");
    QTest::newRow("ends with dot") << QStringLiteral("Done.") << QStringLiteral("Done.");
    QTest::newRow("ends with quote") << QStringLiteral("Field 'x'") << QStringLiteral("Field 'x'");
    QTest::newRow("ends with paren")
        << QStringLiteral("type (String)") << QStringLiteral("type (String)");
    QTest::newRow("ends with blank") << QStringLiteral("a ") << QStringLiteral("a ");
    QTest::newRow("ends with digit") << QStringLiteral("code 5") << QStringLiteral("code 5.");
    QTest::newRow("ends with slash") << QStringLiteral("a/") << QStringLiteral("a/.");
    QTest::newRow("Turkish letter") << QStringLiteral(u"hatalı") << QStringLiteral(u"hatalı.");
    QTest::newRow("empty") << QString() << QString();
}

void tst_ErrorHandler::fullStop() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(errorBoxText(text), shown);
}

void tst_ErrorHandler::uncaughtErrorIsShownAndProgramGoesOn() {
    ScriptedPrompts prompts;
    bool after = false;
    QVERIFY(!runCommand(
        prompts, [] { throw AppError(QStringLiteral("'abc' is not a valid integer value")); }));
    QVERIFY(runCommand(prompts, [&] { after = true; }));
    QVERIFY(after);
    QCOMPARE(prompts.shown.size(), 1);
    QCOMPARE(prompts.shown[0].kind, Prompts::Kind::Error);
    QCOMPARE(prompts.shown[0].caption,
             applicationTitleFor(QCoreApplication::applicationFilePath()));
    QCOMPARE(prompts.shown[0].caption, QStringLiteral("Tst_errorhandler"));
    QCOMPARE(prompts.shown[0].text, QStringLiteral("'abc' is not a valid integer value."));

    QVERIFY(!runCommand(prompts, [] { throw std::runtime_error("disk on fire"); }));
    QCOMPARE(prompts.shown.size(), 2);
    QCOMPARE(prompts.shown[1].text, QStringLiteral("disk on fire."));
}

void tst_ErrorHandler::stoppedCommandShowsNothingMore() {
    ScriptedPrompts prompts;
    QVERIFY(!runCommand(prompts, [] { throw CommandStopped(); }));
    QVERIFY(prompts.shown.isEmpty());
}

// A box opened inside a focus change or an editor's commit would let the
// event's widgets be deleted under it: the box waits for the event loop.
void tst_ErrorHandler::errorInsideAnEventIsShownAfterIt() {
    ScriptedPrompts prompts;
    auto context = std::make_unique<QObject>();
    const auto fail = [] { throw AppError(QStringLiteral("'x' is not a valid integer value")); };
    QVERIFY(!runCommandReportingLater(prompts, context.get(), fail));
    QVERIFY(prompts.shown.isEmpty());
    QTRY_COMPARE(prompts.texts(), QStringList{QStringLiteral("'x' is not a valid integer value.")});
    QVERIFY(!runCommandReportingLater(prompts, context.get(), fail));
    context.reset(); // the window went first: nothing is shown
    QTest::qWait(20);
    QCOMPARE(prompts.shown.size(), 1);
}

// The real boxes: Return presses OK and Escape closes, with or without the
// second button ("Tarayıcıda aç" is not pressed), in the window's font.
void tst_ErrorHandler::messageBoxKeysAndFont_data() {
    QTest::addColumn<bool>("withAction");
    QTest::addColumn<int>("key");
    QTest::newRow("message, Return") << false << int(Qt::Key_Return);
    QTest::newRow("message, Escape") << false << int(Qt::Key_Escape);
    QTest::newRow("with action, Return") << true << int(Qt::Key_Return);
    QTest::newRow("with action, Escape") << true << int(Qt::Key_Escape);
}

void tst_ErrorHandler::messageBoxKeysAndFont() {
    QFETCH(bool, withAction);
    QFETCH(int, key);
    QWidget window;
    window.setFont(QFont(QStringLiteral("Liberation Sans"), 13, QFont::Bold));
    window.show();
    QtPrompts prompts;
    prompts.setParent(&window);
    MessageBoxAnswerer answerer{Qt::Key(key)};
    if (withAction)
        QVERIFY(!prompts.messageWithAction(QStringLiteral("Dorvana"), QStringLiteral("Bitti."),
                                           QStringLiteral("Tarayıcıda aç")));
    else
        prompts.message(Prompts::Kind::Error, QStringLiteral("Dorvana"), QStringLiteral("Bitti."));
    QCOMPARE(answerer.seen.size(), 1);
    QVERIFY(answerer.seen[0].closedByKey);
    QCOMPARE(answerer.seen[0].font, window.font());
}

QTEST_MAIN(tst_ErrorHandler)
#include "tst_errorhandler.moc"
