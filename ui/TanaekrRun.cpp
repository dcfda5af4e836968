// The generation run: the window reads its controls and the answer key once,
// the page set is built from them in pages/, and the whole set is written at
// once, or nothing is.

#include "ui/Tanaekr.h"

#include "core/AppError.h"
#include "core/FileSet.h"
#include "core/IntConversion.h"
#include "core/LineFile.h"
#include "core/TestRules.h"
#include "db/AnswerKey.h"
#include "db/Database.h"
#include "db/DatabaseLocation.h"
#include "db/ProgramDatabase.h"
#include "db/ResultStore.h"
#include "db/TableDataset.h"
#include "pages/NavigationImages.h"
#include "pages/PageSet.h"
#include "pages/QuestionFiles.h"
#include "ui/AnswerKeyGrid.h"
#include "ui/ErrorHandler.h"
#include "ui/Prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

#include <algorithm>

namespace {

constexpr qint32 kMaxQuestionCount = 10000;

} // namespace

void Tanaekr::refuse(const QString& message) {
    m_prompts.message(Prompts::Kind::Plain, applicationTitle(), message);
    throw CommandStopped();
}

// The stem names files and stands in script strings, links and the data file:
// it must survive the code page whole, hold no control character and nothing
// that a link or a file name reads as something else.
void Tanaekr::refuseUnusableStem() {
    const QString stem = sayfaad->text();
    if (const auto bad = firstCharOutsideCp1254(stem))
        refuse(QStringLiteral(u"Dosya adında Türkçe kod sayfasında bulunmayan bir karakter var: "
                              u"\"%1\". Lütfen bu karakteri dosya adından çıkarınız.")
                   .arg(QString::fromUcs4(&*bad, 1)));
    if (std::any_of(stem.cbegin(), stem.cend(),
                    [](QChar c) { return c.unicode() < 32 || c.unicode() == 127; }))
        refuse(QStringLiteral(u"Dosya adında görünmeyen bir denetim karakteri var. "
                              u"Lütfen dosya adını yeniden yazınız."));
    const QString linkBreakers = QStringLiteral("#%?\"'\\/:*<>|");
    const auto bad =
        std::find_if(stem.cbegin(), stem.cend(), [&](QChar c) { return linkBreakers.contains(c); });
    if (bad != stem.cend())
        refuse(QStringLiteral(u"Dosya adında kullanılamayan bir karakter var: \"%1\". Bu karakter "
                              u"sayfaların birbirini bulmasını engeller. Lütfen bu karakteri dosya "
                              u"adından çıkarınız.")
                   .arg(*bad));
}

// No question gives pages that fail in the browser; above the limit the pages
// would be of no use and only cost memory and time.
void Tanaekr::refuseUnusableCount(qint32 count) {
    if (count <= 0) {
        sorusaye->setFocus(Qt::OtherFocusReason);
        refuse(QStringLiteral(u"Soru sayısı en az 1 olmalıdır."));
    }
    if (count > kMaxQuestionCount)
        refuse(QStringLiteral(u"Soru sayısı en fazla 10000 olabilir."));
}

qint32 Tanaekr::keyOptionCount() const {
    try {
        return effectiveOptionCount(strToInt(siksayl->text()));
    } catch (const AppError&) {
        return 5;
    }
}

PageSetInput Tanaekr::readPageSetInput() {
    refuseUnusableStem();
    PageSetInput in;
    in.folder = klasor->text();
    in.stem = sayfaad->text();
    in.testName = testadl->text();
    in.questionCount = strToInt(sorusaye->text());
    refuseUnusableCount(in.questionCount);
    in.navFolder = gezyerl->text();
    in.privatePaths = privateDataPaths(m_database->websoru().database().path());
    in.explanationLines = explanationLines();
    in.questionColour = sorusrenk->text();
    in.explanationColour = sacikl->text();
    in.answerColour = cevapzrl->text();
    in.aceColour = acer->text();
    in.bdColour = ber->text();
    in.resultColour = sonuczrl->text();
    in.optionCount = strToInt(siksayl->text());
    in.netRule = yanlis->currentData().toInt();
    in.singlePage = teksayfa->isChecked();
    if (in.singlePage)
        in.timeLimitMinutes = strToInt(sure->text());
    in.showCorrectAnswers = dogrular->isChecked();

    // A letter still in the grid's cell editor belongs to its row before the rows are read.
    liste->commitOpenEditor();
    // Rows prepared for another count would score pupils against keys never given.
    if (m_database->websoru().recordCount() != in.questionCount)
        refuse(QStringLiteral(u"Soru sayısı, doğru cevaplar hazırlandıktan sonra değiştirilmiş "
                              u"(%1 soru için %2 cevap satırı var). Lütfen \"Doğru cevapları gir\" "
                              u"düğmesiyle cevapları yeniden hazırlayınız.")
                   .arg(in.questionCount)
                   .arg(m_database->websoru().recordCount()));
    try {
        in.answerKey = readAnswerKey(m_database->websoru(), in.questionCount);
    } catch (const MissingKey& missing) {
        // The grid now stands on the question without a key.
        m_prompts.message(Prompts::Kind::Plain, applicationTitle(),
                          QString::number(missing.question()) +
                              QStringLiteral(u". sorunun doğru cevap şıkkı girilmemiş."));
        throw CommandStopped();
    }
    // A key the pupil cannot choose could never be answered right.
    const qint32 options = keyOptionCount();
    for (std::size_t i = 0; i < in.answerKey.size(); ++i) {
        if (!isAnswerLetter(in.answerKey[i].key.trimmed(), options))
            refuse(QStringLiteral(u"%1. sorunun doğru cevabı \"%2\", ama soruların %3 şıkkı var "
                                  u"(A-%4). Lütfen bu sorunun doğru cevabını düzeltiniz.")
                       .arg(i + 1)
                       .arg(in.answerKey[i].key)
                       .arg(options)
                       .arg(QChar(u'A' + options - 1)));
    }
    return in;
}

// The single page carries its questions and the teacher's navigation images
// inside it. A question file that is missing or unreadable does not stop the
// run: the page says so in its place and the closing message lists it, with
// every file the reading rule refused. Returns those files.
QStringList Tanaekr::embedForSinglePage(PageSetInput& in) const {
    QStringList files;
    for (const DataRecord& record : in.answerKey)
        files << record.file;
    in.questions = embedQuestions(in.folder, files, in.stem, in.privatePaths);
    QStringList notRead;
    for (std::size_t i = 0; i < in.questions.size(); ++i)
        for (const QString& file : in.questions[i].notRead)
            notRead << QStringLiteral(u"%1. soru, %2").arg(i + 1).arg(file);
    in.navigationImages =
        readNavigationImages(FolderInput(in.folder, in.privatePaths), in.navFolder, notRead);
    return notRead;
}

QString Tanaekr::closingMessage(const PageSetInput& in, const QStringList& imagesWritten,
                                const QStringList& notRead) const {
    QString text = QStringLiteral(u"Sayfalar oluşturuldu. Lütfen ") + in.stem +
                   QStringLiteral(u"ind.htm dosyasını çalıştırınız.");
    if (in.singlePage) {
        text += QStringLiteral(u"\n\nÖğrencilere verilecek dosya: %1 (bugünün tarayıcılarında, "
                               u"bilgisayarda ve telefonda açılır; %2ind.htm eski tarayıcılar "
                               u"içindir).")
                    .arg(PageSetNames(in.stem).singlePage, in.stem);
        QStringList missing;
        for (const int n : missingQuestionNumbers(in.questions))
            missing << QString::number(n);
        if (!missing.isEmpty())
            text += QStringLiteral(u"\n\nBulunamayan soru dosyaları: %1. Tek sayfada bu "
                                   u"soruların yerinde \"Soru n bulunamadı\" yazar.")
                        .arg(missing.join(QStringLiteral(", ")));
        if (!notRead.isEmpty())
            text += QStringLiteral(u"\n\nTek sayfaya konmayan dosyalar:\n") + notRead.join(u'\n');
    }
    if (!imagesWritten.isEmpty())
        text += QStringLiteral(u"\n\nEksik gezinti düğmesi resimleri \"%1\" klasörüne yazıldı: %2.")
                    .arg(QDir::toNativeSeparators(QDir(in.folder).filePath(in.navFolder)),
                         imagesWritten.join(QStringLiteral(", ")));
    return text;
}

void Tanaekr::sayfabClick() {
    runCommand(m_prompts, [this] {
        PageSetInput in = readPageSetInput();
        QStringList notRead;
        if (in.singlePage)
            notRead = embedForSinglePage(in);
        std::vector<OutputFile> files = pageSetFiles(in);
        QStringList imagesWritten;
        for (OutputFile& image : missingNavigationImages(in.folder, in.navFolder)) {
            imagesWritten << QFileInfo(image.path).fileName();
            files.push_back(std::move(image));
        }

        // Remembered first: results that pupils bring back are scored against these keys.
        const PageSetTest test = pageSetTest(in);
        rememberTest(m_database->websoru().database(),
                     {in.testName, in.stem, in.questionCount, test.keys, test.optionCount,
                      test.netRule, QDateTime::currentDateTime(), test.identity});
        writeFileSet(files);

        const QString text = closingMessage(in, imagesWritten, notRead);
        if (!in.singlePage) {
            m_prompts.message(Prompts::Kind::Plain, applicationTitle(), text);
            return;
        }
        if (m_prompts.messageWithAction(applicationTitle(), text, QStringLiteral(u"Tarayıcıda aç")))
            m_prompts.openInDefaultProgram(
                QDir(in.folder).filePath(PageSetNames(in.stem).singlePage));
    });
}
