// The generation run: the window reads its controls and the answer key once,
// the page set is built from them in pages/, and the whole set is written at
// once, or nothing is.

#include "ui/Tanaekr.h"

#include "core/AppError.h"
#include "core/FileSet.h"
#include "core/IntConversion.h"
#include "core/LineFile.h"
#include "db/AnswerKey.h"
#include "db/ProgramDatabase.h"
#include "pages/PageSet.h"
#include "ui/AnswerKeyGrid.h"
#include "ui/ErrorHandler.h"
#include "ui/Prompts.h"

#include <QLineEdit>

#include <algorithm>

namespace {

constexpr qint32 kMaxQuestionCount = 10000;

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
    if (count <= kMaxQuestionCount)
        return;
    m_prompts.message(Prompts::Kind::Plain, applicationTitle(),
                      QStringLiteral(u"Soru sayısı en fazla 10000 olabilir."));
    throw CommandStopped();
}

PageSetInput Tanaekr::readPageSetInput() {
    refuseUnusableStem();
    PageSetInput in;
    in.folder = klasor->text();
    in.stem = sayfaad->text();
    in.testName = testadl->text();
    in.questionCount = strToInt(sorusaye->text());
    refuseTooManyQuestions(in.questionCount);
    in.navFolder = gezyerl->text();
    in.explanationLines = explanationLines();
    in.questionColour = sorusrenk->text();
    in.explanationColour = sacikl->text();
    in.answerColour = cevapzrl->text();
    in.aceColour = acer->text();
    in.bdColour = ber->text();
    in.resultColour = sonuczrl->text();
    in.optionCount = strToInt(siksayl->text());

    // A letter still in the grid's cell editor belongs to its row before the rows are read.
    liste->commitOpenEditor();
    try {
        in.answerKey = readAnswerKey(m_database->websoru(), in.questionCount);
    } catch (const MissingKey& missing) {
        // The grid now stands on the question without a key.
        m_prompts.message(Prompts::Kind::Plain, applicationTitle(),
                          QString::number(missing.question()) +
                              QStringLiteral(u". sorunun doğru cevap şıkkı girilmemiş."));
        throw CommandStopped();
    }
    return in;
}

void Tanaekr::sayfabClick() {
    runCommand(m_prompts, [this] {
        writeFileSet(pageSetFiles(readPageSetInput()));
        m_prompts.message(Prompts::Kind::Plain, applicationTitle(),
                          QStringLiteral(u"Sayfalar oluşturuldu. Lütfen ") + sayfaad->text() +
                              QStringLiteral(u"ind.htm dosyasını çalıştırınız."));
    });
}
