#include "run/GenerationRun.h"

#include "core/AppError.h"
#include "core/FileSet.h"
#include "core/LineFile.h"
#include "core/SafeInput.h"
#include "core/TestRules.h"
#include "db/AnswerKey.h"
#include "db/Database.h"
#include "db/ResultStore.h"
#include "db/Sections.h"
#include "db/TableDataset.h"
#include "pages/NavigationImages.h"
#include "pages/PageSet.h"
#include "pages/QuestionFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <filesystem>

namespace {

// The rows prepared for the count, each with a letter the pupil can choose.
std::vector<DataRecord> checkedAnswerKey(const GenerationInput& in, TableDataset& websoru) {
    // Rows prepared for another count would score pupils against keys never given.
    if (websoru.recordCount() != in.questionCount)
        throw GenerationRefused(
            QStringLiteral(u"Soru sayısı, doğru cevaplar hazırlandıktan sonra değiştirilmiş "
                           u"(%1 soru için %2 cevap satırı var). Lütfen \"Doğru cevapları gir\" "
                           u"düğmesiyle cevapları yeniden hazırlayınız.")
                .arg(in.questionCount)
                .arg(websoru.recordCount()));
    std::vector<DataRecord> key;
    try {
        key = readAnswerKey(websoru, in.questionCount);
    } catch (const MissingKey& missing) {
        throw GenerationRefused(QString::number(missing.question()) +
                                QStringLiteral(u". sorunun doğru cevap şıkkı girilmemiş."));
    }
    // A key the pupil cannot choose could never be answered right.
    const qint32 options = effectiveOptionCount(in.settings.siksay);
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (!isAnswerLetter(key[i].key.trimmed(), options))
            throw GenerationRefused(
                QStringLiteral(u"%1. sorunun doğru cevabı \"%2\", ama soruların %3 şıkkı var "
                               u"(A-%4). Lütfen bu sorunun doğru cevabını düzeltiniz.")
                    .arg(i + 1)
                    .arg(key[i].key)
                    .arg(options)
                    .arg(QChar(u'A' + options - 1)));
    }
    return key;
}

// The sections kept under the test name, checked against the count; the
// booklet count of the settings. Either refused stops the run before anything is written.
std::vector<Section> checkedSections(const GenerationInput& in, Database& db) {
    if (!isBookletCount(in.settings.kitapcik))
        throw GenerationRefused(QStringLiteral(u"Kitapçık sayısı 1, 2 ya da 4 olmalıdır."));
    try {
        std::vector<Section> sections = loadSections(db, in.testName);
        checkSections(sections, in.questionCount);
        return sections;
    } catch (const AppError& error) {
        throw GenerationRefused(error.text() +
                                QStringLiteral(u" Lütfen \"Bölümler\" sayfasında düzeltiniz."));
    }
}

// The pages for pupils, full paths: the single page, or one page per booklet (A first).
QStringList pupilPages(const PageSetInput& in) {
    QStringList pages;
    for (const QString& name : PageSetNames(in.stem).singlePages(in.settings.kitapcik))
        pages << QDir(in.folder).filePath(name);
    return pages;
}

// False when the folder is missing and is not to be made.
bool outputFolderReady(const GenerationInput& in) {
    if (in.folder.isEmpty() || QFileInfo::exists(in.folder))
        return true;
    if (!in.createMissingFolder || !in.createMissingFolder(in.folder))
        return false;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(in.folder.toStdU16String()), error);
    if (error)
        throw AppError(
            QStringLiteral(u"Klasör oluşturulamadı: \"%1\". %2")
                .arg(QDir::toNativeSeparators(in.folder), QString::fromLocal8Bit(error.message())));
    return true;
}

// The single page carries its questions and the teacher's navigation images
// inside it. A question file that is missing or unreadable does not stop the
// run: the page says so in its place and the closing message lists it, with
// every file the reading rule refused. Returns those files.
QStringList embedForSinglePage(PageSetInput& in) {
    QStringList files;
    for (const DataRecord& record : in.answerKey)
        files << record.file;
    in.questions = embedQuestions(in.folder, files, in.stem, in.privatePaths);
    QStringList notRead;
    for (std::size_t i = 0; i < in.questions.size(); ++i)
        for (const QString& file : in.questions[i].notRead)
            notRead << QStringLiteral(u"%1. soru, %2").arg(i + 1).arg(file);
    in.navigationImages =
        readNavigationImages(FolderInput(in.folder, in.privatePaths), in.settings.gezyer, notRead);
    return notRead;
}

QString closingText(const PageSetInput& in, const GenerationOutcome& outcome,
                    const QStringList& pupilPagePaths) {
    QString text = QStringLiteral(u"Sayfalar oluşturuldu. Lütfen ") + in.stem +
                   QStringLiteral(u"ind.htm dosyasını çalıştırınız.");
    if (in.settings.teksayfa) {
        QStringList names;
        for (const QString& path : pupilPagePaths)
            names << QFileInfo(path).fileName();
        if (names.size() > 1)
            text += QStringLiteral(u"\n\nÖğrencilere verilecek dosyalar, her kitapçık için bir "
                                   u"tane: %1 (bugünün tarayıcılarında, bilgisayarda ve telefonda "
                                   u"açılır; %2ind.htm eski tarayıcılar içindir ve tek "
                                   u"kitapçıktır).")
                        .arg(names.join(QStringLiteral(", ")), in.stem);
        else
            text += QStringLiteral(u"\n\nÖğrencilere verilecek dosya: %1 (bugünün tarayıcılarında, "
                                   u"bilgisayarda ve telefonda açılır; %2ind.htm eski tarayıcılar "
                                   u"içindir).")
                        .arg(names.value(0), in.stem);
        QStringList missing;
        for (const int n : outcome.missingQuestions)
            missing << QString::number(n);
        if (!missing.isEmpty())
            text += QStringLiteral(u"\n\nBulunamayan soru dosyaları: %1. Tek sayfada bu "
                                   u"soruların yerinde \"Soru n bulunamadı\" yazar.")
                        .arg(missing.join(QStringLiteral(", ")));
        if (!outcome.refusedFiles.isEmpty())
            text += QStringLiteral(u"\n\nTek sayfaya konmayan dosyalar:\n") +
                    outcome.refusedFiles.join(u'\n');
    }
    if (!outcome.imagesWritten.isEmpty())
        text += QStringLiteral(u"\n\nEksik gezinti düğmesi resimleri \"%1\" klasörüne yazıldı: %2.")
                    .arg(QDir::toNativeSeparators(QDir(in.folder).filePath(in.settings.gezyer)),
                         outcome.imagesWritten.join(QStringLiteral(", ")));
    return text;
}

} // namespace

// The stem names files and stands in script strings, links and the data file:
// it must survive the code page whole, hold no control character and nothing
// that a link or a file name reads as something else.
void checkStem(const QString& stem) {
    if (const auto bad = firstCharOutsideCp1254(stem))
        throw GenerationRefused(
            QStringLiteral(u"Dosya adında Türkçe kod sayfasında bulunmayan bir karakter var: "
                           u"\"%1\". Lütfen bu karakteri dosya adından çıkarınız.")
                .arg(QString::fromUcs4(&*bad, 1)));
    if (std::any_of(stem.cbegin(), stem.cend(),
                    [](QChar c) { return c.unicode() < 32 || c.unicode() == 127; }))
        throw GenerationRefused(QStringLiteral(u"Dosya adında görünmeyen bir denetim karakteri "
                                               u"var. Lütfen dosya adını yeniden yazınız."));
    const QString linkBreakers = QStringLiteral("#%?\"'\\/:*<>|");
    const auto bad =
        std::find_if(stem.cbegin(), stem.cend(), [&](QChar c) { return linkBreakers.contains(c); });
    if (bad != stem.cend())
        throw GenerationRefused(
            QStringLiteral(u"Dosya adında kullanılamayan bir karakter var: \"%1\". Bu karakter "
                           u"sayfaların birbirini bulmasını engeller. Lütfen bu karakteri dosya "
                           u"adından çıkarınız.")
                .arg(*bad));
}

// No question gives pages that fail in the browser; above the limit the pages
// would be of no use and only cost memory and time.
void checkQuestionCount(qint32 count) {
    if (count <= 0)
        throw GenerationRefused(QStringLiteral(u"Soru sayısı en az 1 olmalıdır."),
                                GenerationRefused::Field::QuestionCount);
    if (count > kMaxQuestionCount)
        throw GenerationRefused(QStringLiteral(u"Soru sayısı en fazla 10000 olabilir."));
}

GenerationOutcome runGeneration(const GenerationInput& input, TableDataset& websoru) {
    checkStem(input.stem);
    checkQuestionCount(input.questionCount);
    PageSetInput in;
    in.folder = input.folder;
    in.stem = input.stem;
    in.testName = input.testName;
    in.questionCount = input.questionCount;
    in.explanationLines = input.explanationLines;
    in.settings = input.settings;
    in.privatePaths = input.privatePaths;
    in.answerKey = checkedAnswerKey(input, websoru);
    in.sections = checkedSections(input, websoru.database());

    GenerationOutcome outcome;
    if (!outputFolderReady(input))
        return outcome;
    // The live pages are single pages too: their questions are embedded alike.
    if (in.settings.teksayfa || input.livePages) {
        outcome.refusedFiles = embedForSinglePage(in);
        outcome.missingQuestions = missingQuestionNumbers(in.questions);
    }
    std::vector<OutputFile> files = pageSetFiles(in);
    const QStringList pupilPagePaths = in.settings.teksayfa ? pupilPages(in) : QStringList();
    outcome.singlePagePath = pupilPagePaths.value(0);
    QString imageFolder; // a new folder for the images, made with the set
    for (OutputFile& image : missingNavigationImages(in.folder, in.settings.gezyer, &imageFolder)) {
        outcome.imagesWritten << QFileInfo(image.path).fileName();
        files.push_back(std::move(image));
    }

    // Remembered first: results that pupils bring back are scored against these keys.
    const PageSetTest test = pageSetTest(in);
    rememberTest(websoru.database(),
                 {in.testName, in.stem, in.questionCount, test.keys, test.optionCount, test.netRule,
                  QDateTime::currentDateTime(), test.identity, in.sections, test.booklets});
    writeFileSet(files, imageFolder.isEmpty() ? QStringList() : QStringList{imageFolder});

    outcome.written = true;
    outcome.testIdentity = test.identity;
    if (input.livePages)
        outcome.livePages = livePages(in);
    for (const OutputFile& file : files)
        outcome.filesWritten << file.path;
    outcome.closingText = closingText(in, outcome, pupilPagePaths);
    return outcome;
}
