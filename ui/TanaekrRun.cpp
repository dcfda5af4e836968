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
    const auto bad = std::find_if(stem.cbegin(), stem.cend(),
                                  [&](QChar c) { return linkBreakers.contains(c); });
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
        const qint32 options = strToInt(siksayl->text());
        return options >= 2 && options <= 5 ? options : 5;
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

void Tanaekr::sayfabClick() {
    runCommand(m_prompts, [this] {
        writeFileSet(pageSetFiles(readPageSetInput()));
        m_prompts.message(Prompts::Kind::Plain, applicationTitle(),
                          QStringLiteral(u"Sayfalar oluşturuldu. Lütfen ") + sayfaad->text() +
                              QStringLiteral(u"ind.htm dosyasını çalıştırınız."));
    });
}
