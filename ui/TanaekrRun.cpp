// The generation run: the five writers build their files' lines from the
// controls, then the whole set is written at once, or nothing is.

#include "ui/Tanaekr.h"

#include "core/AppError.h"
#include "core/FileSet.h"
#include "core/IntConversion.h"
#include "core/LineFile.h"
#include "db/AnswerKey.h"
#include "db/TableDataset.h"
#include "pages/AnswerSheetPage.h"
#include "pages/DataFile.h"
#include "pages/FramesetPage.h"
#include "pages/QuestionPage.h"
#include "pages/ResultPage.h"
#include "ui/AnswerKeyGrid.h"
#include "ui/ErrorHandler.h"
#include "ui/Prompts.h"

#include <QDir>

#include <QLineEdit>
#include <algorithm>

namespace {

constexpr qint32 MaxQuestionCount = 10000;

} // namespace

// The stem names files and stands in script strings and in the data file: it
// must survive the code page whole and hold no control character.
void Tanaekr::refuseUnusableStem() {
    const QString stem = sayfaad->text();
    QString message;
    if (const auto bad = firstCharOutsideCp1254(stem)) {
        message = QStringLiteral(u"Dosya adında Türkçe kod sayfasında bulunmayan bir karakter var: "
                                 u"\"%1\". Lütfen bu karakteri dosya adından çıkarınız.")
                      .arg(QString::fromUcs4(&*bad, 1));
    } else if (std::any_of(stem.cbegin(), stem.cend(),
                           [](QChar c) { return c.unicode() < 32 || c.unicode() == 127; })) {
        message = QStringLiteral(u"Dosya adında görünmeyen bir denetim karakteri var. "
                                 u"Lütfen dosya adını yeniden yazınız.");
    }
    if (message.isEmpty())
        return;
    m_prompts.message(Prompts::Kind::Plain, applicationTitle(), message);
    throw CommandStopped();
}

// Above the limit the pages would be of no use and only cost memory and time.
void Tanaekr::refuseTooManyQuestions(qint32 count) {
    if (count <= MaxQuestionCount)
        return;
    m_prompts.message(Prompts::Kind::Plain, applicationTitle(),
                      QStringLiteral(u"Soru sayısı en fazla 10000 olabilir."));
    throw CommandStopped();
}

QString Tanaekr::outputPathFor(const QString& suffix) const {
    return klasor->text() + QDir::separator() + sayfaad->text() + suffix;
}

// Every writer ends alike: its file's path is set, and its bytes wait for the set to be written.
void Tanaekr::queueFile(const QString& suffix, QByteArray bytes) {
    m_gen.outputPath = outputPathFor(suffix);
    m_pendingFiles.push_back({m_gen.outputPath, std::move(bytes)});
}

void Tanaekr::sayfabClick() {
    runCommand(m_prompts, [this] {
        refuseUnusableStem();

        m_pendingFiles.clear();
        sayfaindf();
        sayfasorf();
        sayfacevf();
        sayfasonf();
        sayfaxmlf();

        const std::vector<OutputFile> files = std::move(m_pendingFiles);
        m_pendingFiles.clear();
        writeFileSet(files);

        m_prompts.message(Prompts::Kind::Plain, applicationTitle(),
                          QStringLiteral(u"Sayfalar oluşturuldu. Lütfen ") + sayfaad->text() +
                              QStringLiteral(u"ind.htm dosyasını çalıştırınız."));
    });
}

void Tanaekr::sayfaindf() {
    m_gen.questionPageName = sayfaad->text() + QStringLiteral("sor.htm");
    m_gen.answerPageName = sayfaad->text() + QStringLiteral("cev.htm");
    m_gen.resultPageName = sayfaad->text() + QStringLiteral("son.htm");
    m_gen.sayfaind = framesetLines({m_gen.questionPageName, m_gen.answerPageName});
    queueFile(QStringLiteral("ind.htm"), encodeCp1254Lines(m_gen.sayfaind));
}

void Tanaekr::sayfasorf() {
    const qint32 count = strToInt(sorusaye->text());
    refuseTooManyQuestions(count);
    m_gen.questionCount = count;
    m_gen.dataFileName = sayfaad->text() + QStringLiteral("xml.xml");

    QuestionPageInput input;
    input.bodyColour = sorusrenk->text();
    input.dataFileName = m_gen.dataFileName;
    input.testName = testadl->text();
    input.navFolder = gezyerl->text();
    input.explanationColour = sacikl->text();
    input.explanationLines = explanationLines();
    m_gen.questionIndex = qint32(input.explanationLines.size());
    m_gen.sayfasor = questionPageLines(input);

    queueFile(QStringLiteral("sor.htm"), encodeCp1254Lines(m_gen.sayfasor));
}

void Tanaekr::sayfacevf() {
    m_gen.sayfacev.clear(); // the option count below may still stop the writer
    AnswerSheetInput input;
    input.pageColour = cevapzrl->text();
    input.aceColour = acer->text();
    input.bdColour = ber->text();
    input.resultPageName = m_gen.resultPageName;
    input.questionCount = m_gen.questionCount;
    input.optionCount = strToInt(siksayl->text());
    m_gen.sayfacev = answerSheetLines(input);
    if (m_gen.questionCount > 0)
        m_gen.questionIndex = m_gen.questionCount + 1;

    queueFile(QStringLiteral("cev.htm"), encodeCp1254Lines(m_gen.sayfacev));
}

void Tanaekr::sayfasonf() {
    m_gen.sayfason = resultPageLines({m_gen.questionCount, m_gen.dataFileName, sonuczrl->text()});
    if (m_gen.questionCount > 0)
        m_gen.questionIndex = m_gen.questionCount + 1;

    queueFile(QStringLiteral("son.htm"), encodeCp1254Lines(m_gen.sayfason));
}

void Tanaekr::sayfaxmlf() {
    m_gen.sayfaxml.clear(); // a missing key stops the writer with nothing built
    // A letter still in the grid's cell editor belongs to its row before the rows are read.
    liste->commitOpenEditor();
    std::vector<DataRecord> records;
    try {
        records = readAnswerKey(*websoru, m_gen.questionCount);
    } catch (const MissingKey& missing) {
        // The grid now stands on the question without a key.
        m_gen.questionIndex = missing.question();
        m_prompts.message(Prompts::Kind::Plain, applicationTitle(),
                          QString::number(missing.question()) +
                              QStringLiteral(u". sorunun doğru cevap şıkkı girilmemiş."));
        throw CommandStopped();
    }
    if (m_gen.questionCount > 0)
        m_gen.questionIndex = m_gen.questionCount + 1;
    m_gen.sayfaxml = dataFileLines(m_gen.questionCount, records);

    // The data file is read as XML, whose default is UTF-8.
    queueFile(QStringLiteral("xml.xml"), encodeUtf8Lines(m_gen.sayfaxml));
}
