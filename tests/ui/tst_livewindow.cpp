#include "ScriptedPrompts.h"
#include "WindowTestSupport.h"
#include "live/LiveExam.h"
#include "ui/AppSetup.h"
#include "ui/ClassResultsWindow.h"
#include "ui/LiveWindow.h"

#include <QCheckBox>
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
    struct Reply {
        int status = 0;
        QByteArray body;
        QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
    };
    Reply send(const QUrl& url, const QJsonObject& body, bool post = true) {
        QNetworkRequest request(url);
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json"_ba);
        QNetworkReply* reply =
            post ? m_network.post(request, QJsonDocument(body).toJson()) : m_network.get(request);
        QSignalSpy done(reply, &QNetworkReply::finished);
        if (!reply->isFinished())
            done.wait(10000);
        Reply out{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                  reply->readAll()};
        reply->deleteLater();
        return out;
    }
    Reply join(LiveWindow& live, const QString& name, QLatin1Char device) {
        return send(live.exam().address().resolved(u"katil"_s),
                    {{u"ad"_s, name}, {u"cihaz"_s, QString(32, device)}});
    }
    // The window on `programFolder`, its test made in `folder` with two booklets.
    std::unique_ptr<Tanaekr> startWindow(const ProgramFolder& programFolder,
                                         const QTemporaryDir& folder) {
        auto window = std::make_unique<Tanaekr>(m_prompts, Tanaekr::Options{programFolder.path()});
        window->setLiveListen(u"127.0.0.1:0"_s);
        window->show();
        typeInto(lineEdit(*window, "klasor"), folder.path());
        typeInto(lineEdit(*window, "siksayl"), u"5"_s);
        window->findChild<QCheckBox*>(u"teksayfa"_s)->setChecked(false);
        window->findChild<QComboBox*>(u"kitapcik"_s)->setCurrentIndex(1);
        return window;
    }
    static QStringList row(const QTableWidget& table, int r) {
        QStringList cells;
        for (int c = 0; c < table.columnCount(); ++c)
            cells << table.item(r, c)->text();
        return cells;
    }

    ScriptedPrompts m_prompts;
    QNetworkAccessManager m_network;
};

void tst_LiveWindow::classOverTheNetwork() {
    ProgramFolder programFolder;
    QTemporaryDir folder;
    auto window = startWindow(programFolder, folder);
    QVERIFY(prepareAnswerKey(*window, u"ABCDEABCDE"_s));
    clickButton(*window, "canlisinav");
    QCOMPARE(m_prompts.texts().size(), 1); // the run's closing message, as for the files
    QVERIFY(m_prompts.texts()[0].startsWith(u"Sayfalar oluşturuldu."_s));
    auto* live = window->findChild<LiveWindow*>();
    QVERIFY(live && live->isVisible());

    // The address as text, copied, and as a QR code large enough for the board.
    const QString address = live->exam().address().toString();
    QVERIFY2(address.startsWith(u"http://127.0.0.1:"_s), qPrintable(address));
    auto* field = live->findChild<QLineEdit*>(u"adres"_s);
    QCOMPARE(field->text(), address);
    QVERIFY(field->isReadOnly());
    QCOMPARE(field->accessibleName(), u"Adres"_s);
    QTest::mouseClick(live->findChild<QPushButton*>(u"adresiKopyala"_s), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), address);
    const QPixmap qr = live->findChild<QLabel*>(u"karekod"_s)->pixmap();
    QVERIFY(qr.width() >= 250);
    const QString png = folder.filePath(u"karekod.png"_s);
    QVERIFY(qr.save(png));
    QProcess zbar; // zbar-tools, as for the paper forms
    zbar.start(QStandardPaths::findExecutable(u"zbarimg"_s), {u"--raw"_s, u"-q"_s, png});
    QVERIFY(zbar.waitForFinished(60000));
    QCOMPARE(QString::fromUtf8(zbar.readAllStandardOutput()).trimmed(), address);
    // The page served carries no key, not even the test's identity (a digest over it).
    const QByteArray page = send(live->exam().address(), {}, false).body;
    QVERIFY(page.contains("\"canli\":true"));
    QVERIFY(page.contains("\"anahtar\":\"\""));
    QVERIFY(!page.contains(live->exam().test().identity.toLatin1()));

    // Ayşe (A) answers, Mehmet (B) finishes; Ayşe from another device is marked.
    clickButton(*window, "sonucoku");
    auto* classResults = window->findChildren<ClassResultsWindow*>().constLast();
    const QJsonObject ayse = join(*live, u"Ayşe Işık"_s, QLatin1Char('1')).json();
    const QJsonObject mehmet = join(*live, u"Mehmet"_s, QLatin1Char('2')).json();
    join(*live, u"Ayşe Işık"_s, QLatin1Char('3'));
    QCOMPARE(mehmet[u"kitapcik"_s].toString(), u"B"_s);
    for (int q = 1; q <= 2; ++q)
        QCOMPARE(
            send(live->exam().address().resolved(u"cevap"_s), {{u"ogrenci"_s, ayse[u"ogrenci"_s]},
                                                               {u"soru"_s, q},
                                                               {u"cevap"_s, u"A"_s},
                                                               {u"sira"_s, q}})
                .status,
            200);
    const QJsonObject totals =
        send(live->exam().address().resolved(u"bitir"_s),
             {{u"ogrenci"_s, mehmet[u"ogrenci"_s]}, {u"cevaplar"_s, u"ABCDEABCD-"_s}})
            .json();
    auto* table = live->findChild<QTableWidget*>(u"ogrenciler"_s);
    QCOMPARE(table->accessibleName(), u"Öğrenciler"_s);
    QTRY_COMPARE(table->rowCount(), 3);
    QStringList rows;
    for (int r = 0; r < 3; ++r)
        rows << row(*table, r).join(u'|');
    rows.sort();
    QCOMPARE(rows, (QStringList{u"Ayşe Işık (başka cihaz)|A|0|Sınavda|"_s,
                                u"Ayşe Işık (başka cihaz)|A|2|Sınavda|"_s,
                                u"Mehmet|B|9|Bitirdi|"_s + totals[u"net"_s].toString()}));
    QTRY_COMPARE(classResults->rows().size(), std::size_t(1));

    // "Sınavı bitir", confirmed: the pages learn the key, joins are refused.
    m_prompts.nextConfirms.push_back(true);
    QTest::mouseClick(live->findChild<QPushButton*>(u"sinaviBitir"_s), Qt::LeftButton);
    QVERIFY(live->exam().isFinished());
    const Reply state =
        send(live->exam().address().resolved(u"durum?ogrenci="_s + mehmet[u"ogrenci"_s].toString()),
             {}, false);
    QCOMPARE(state.json()[u"anahtar"_s].toString().size(), 10);
    QCOMPARE(join(*live, u"Geç kalan"_s, QLatin1Char('4')).status, 409);
    QVERIFY(live->close()); // nothing more to ask
    QCOMPARE(m_prompts.choices.size(), 0);
}

// An exam left open when its window closes is offered at the next start and
// goes on with its pupils.
void tst_LiveWindow::openExamOfferedAtStart() {
    ProgramFolder programFolder;
    QTemporaryDir folder;
    {
        auto window = startWindow(programFolder, folder);
        QVERIFY(prepareAnswerKey(*window, u"ABCDEABCDE"_s));
        clickButton(*window, "canlisinav");
        auto* live = window->findChild<LiveWindow*>();
        QVERIFY(live);
        QCOMPARE(join(*live, u"Zeynep"_s, QLatin1Char('5')).status, 200);
        m_prompts.nextChoices.push_back(2); // "Vazgeç": the window stays
        QVERIFY(!live->close());
        m_prompts.nextChoices.push_back(1); // "Açık kalsın"
        QVERIFY(live->close());
        QVERIFY(!live->exam().isFinished());
    }
    m_prompts.nextConfirms.push_back(true);
    auto window = startWindow(programFolder, folder);
    QVERIFY2(m_prompts.confirmations.last().contains(u"Canlı sınavı sürdür"_s),
             qPrintable(m_prompts.confirmations.last()));
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
