#include "ScriptedPrompts.h"
#include "WindowTestSupport.h"
#include "live/LiveExam.h"
#include "ui/AppSetup.h"
#include "ui/ClassResultsWindow.h"
#include "ui/LiveWindow.h"

#include <QClipboard>
#include <QComboBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTableWidget>

using namespace Qt::StringLiterals;

// "Canlı sınav" pressed in the real window, pupils played over the loopback
// address as their pages speak (docs/live-protocol.md).
class tst_LiveWindow : public QObject {
    Q_OBJECT
private slots:
    void classOverTheNetwork();
    void openExamOfferedAtStart();

private:
    // The reply's status and JSON body; a GET without `body`.
    std::pair<int, QJsonObject> send(LiveWindow& live, const QString& route,
                                     const QJsonObject& body = {}) {
        QNetworkRequest request(live.exam().address().resolved(route));
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json"_ba);
        QNetworkReply* reply = body.isEmpty()
                                   ? m_network.get(request)
                                   : m_network.post(request, QJsonDocument(body).toJson());
        QSignalSpy done(reply, &QNetworkReply::finished);
        if (!reply->isFinished())
            done.wait(10000);
        reply->deleteLater();
        return {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                QJsonDocument::fromJson(reply->readAll()).object()};
    }
    std::pair<int, QJsonObject> join(LiveWindow& live, const QString& name, char device) {
        return send(live, u"katil"_s,
                    {{u"ad"_s, name}, {u"cihaz"_s, QString(32, QLatin1Char(device))}});
    }
    // The window on `programFolder` with a test of two booklets to make in `folder`.
    std::unique_ptr<Tanaekr> startWindow(const ProgramFolder& programFolder,
                                         const QTemporaryDir& folder) {
        auto window = std::make_unique<Tanaekr>(m_prompts, Tanaekr::Options{programFolder.path()});
        window->setLiveListen(u"127.0.0.1:0"_s);
        window->show();
        typeInto(lineEdit(*window, "klasor"), folder.path());
        window->findChild<QComboBox*>(u"kitapcik"_s)->setCurrentIndex(1);
        return window;
    }

    ScriptedPrompts m_prompts;
    QNetworkAccessManager m_network;
};

void tst_LiveWindow::classOverTheNetwork() {
    ProgramFolder programFolder;
    QTemporaryDir folder;
    auto window = startWindow(programFolder, folder);
    QVERIFY(prepareAnswerKey(*window, u"ABCDABCDAB"_s));
    clickButton(*window, "canlisinav");
    QCOMPARE(m_prompts.texts().size(), 1); // the run's closing message, as for the files
    QVERIFY(m_prompts.texts()[0].startsWith(u"Sayfalar oluşturuldu."_s));
    auto* live = window->findChild<LiveWindow*>();
    QVERIFY(live && live->isVisible());

    // The address as text, copied, and as a QR code that decodes to it.
    const QString address = live->exam().address().toString();
    QVERIFY2(address.startsWith(u"http://127.0.0.1:"_s), qPrintable(address));
    auto* field = live->findChild<QLineEdit*>(u"adres"_s);
    QCOMPARE(field->text(), address);
    QVERIFY(field->isReadOnly());
    QTest::mouseClick(live->findChild<QPushButton*>(u"adresiKopyala"_s), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), address);
    const QPixmap qr = live->findChild<QLabel*>(u"karekod"_s)->pixmap();
    QVERIFY(qr.width() >= 250 && qr.save(folder.filePath(u"qr.png"_s)));
    QProcess zbar; // zbar-tools, as for the paper forms
    zbar.start(QStandardPaths::findExecutable(u"zbarimg"_s),
               {u"--raw"_s, u"-q"_s, folder.filePath(u"qr.png"_s)});
    QVERIFY(zbar.waitForFinished(60000));
    QCOMPARE(QString::fromUtf8(zbar.readAllStandardOutput()).trimmed(), address);

    // Ayşe (A) answers, Mehmet (B) finishes; Ayşe from another device is marked.
    clickButton(*window, "sonucoku");
    auto* classResults = window->findChildren<ClassResultsWindow*>().constLast();
    const QJsonValue ayse = join(*live, u"Ayşe Işık"_s, '1').second[u"ogrenci"_s];
    const QJsonObject mehmet = join(*live, u"Mehmet"_s, '2').second;
    join(*live, u"Ayşe Işık"_s, '3');
    QCOMPARE(mehmet[u"kitapcik"_s].toString(), u"B"_s);
    for (int q = 1; q <= 2; ++q)
        QCOMPARE(send(*live, u"cevap"_s,
                      {{u"ogrenci"_s, ayse}, {u"soru"_s, q}, {u"cevap"_s, u"A"_s}, {u"sira"_s, q}})
                     .first,
                 200);
    const QJsonObject totals =
        send(*live, u"bitir"_s,
             {{u"ogrenci"_s, mehmet[u"ogrenci"_s]}, {u"cevaplar"_s, u"ABCDABCDA-"_s}})
            .second;
    auto* table = live->findChild<QTableWidget*>(u"ogrenciler"_s);
    QTRY_COMPARE(table->rowCount(), 3);
    QStringList rows;
    for (int r = 0; r < 3; ++r) {
        QStringList cells;
        for (int c = 0; c < 5; ++c)
            cells << table->item(r, c)->text();
        rows << cells.join(u'|');
    }
    QCOMPARE(rows, (QStringList{u"Ayşe Işık (başka cihaz)|A|2|Sınavda|"_s,
                                u"Mehmet|B|9|Bitirdi|"_s + totals[u"net"_s].toString(),
                                u"Ayşe Işık (başka cihaz)|A|0|Sınavda|"_s}));
    QTRY_COMPARE(classResults->rows().size(), std::size_t(1));

    // "Sınavı bitir", confirmed: the pages learn the key, joins are refused.
    m_prompts.nextConfirms.push_back(true);
    QTest::mouseClick(live->findChild<QPushButton*>(u"sinaviBitir"_s), Qt::LeftButton);
    QVERIFY(live->exam().isFinished());
    const QString state = u"durum?ogrenci="_s + mehmet[u"ogrenci"_s].toString();
    QCOMPARE(send(*live, state).second[u"anahtar"_s].toString().size(), 10);
    QCOMPARE(join(*live, u"Geç kalan"_s, '4').first, 409);
    QVERIFY(live->close()); // nothing more to ask
    QCOMPARE(m_prompts.choices.size(), 0);
}

// Closing asks whether to end the exam; one kept open is offered at the next
// start and goes on with its pupils.
void tst_LiveWindow::openExamOfferedAtStart() {
    ProgramFolder programFolder;
    QTemporaryDir folder;
    {
        auto window = startWindow(programFolder, folder);
        QVERIFY(prepareAnswerKey(*window, u"ABCDABCDAB"_s));
        clickButton(*window, "canlisinav");
        auto* live = window->findChild<LiveWindow*>();
        QCOMPARE(join(*live, u"Zeynep"_s, '5').first, 200);
        m_prompts.nextChoices = {2, 1}; // "Vazgeç": the window stays; then "Açık kalsın"
        QVERIFY(!window->close());      // the live window asks first
        QVERIFY(live->close());
        QVERIFY(!live->exam().isFinished());
    }
    m_prompts.nextConfirms.push_back(true);
    auto window = startWindow(programFolder, folder);
    QVERIFY(m_prompts.confirmations.last().contains(u"Canlı sınavı sürdür"_s));
    auto* live = window->findChild<LiveWindow*>();
    QVERIFY(live);
    QCOMPARE(live->findChild<QTableWidget*>(u"ogrenciler"_s)->item(0, 0)->text(), u"Zeynep"_s);
}

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    prepareApplication(app);
    tst_LiveWindow test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_livewindow.moc"
