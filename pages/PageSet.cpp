#include "pages/PageSet.h"

#include "core/LineFile.h"
#include "core/TestIdentity.h"
#include "core/TestRules.h"
#include "pages/AnswerSheetPage.h"
#include "pages/DataFile.h"
#include "pages/FramesetPage.h"
#include "pages/QuestionPage.h"
#include "pages/ResultPage.h"
#include "pages/SinglePage.h"

#include <QDir>

PageSetNames::PageSetNames(const QString& stem)
    : frameset(stem + QStringLiteral("ind.htm")), questionPage(stem + QStringLiteral("sor.htm")),
      answerSheet(stem + QStringLiteral("cev.htm")), resultPage(stem + QStringLiteral("son.htm")),
      dataFile(stem + QStringLiteral("xml.xml")), singlePage(stem + QStringLiteral(".html")),
      m_stem(stem) {}

QStringList PageSetNames::singlePages(qint32 bookletCount) const {
    const QString letters = bookletLetters(bookletCount);
    if (letters.size() == 1)
        return {singlePage};
    QStringList pages;
    for (const QChar letter : letters)
        pages << m_stem + u'-' + letter + QStringLiteral(".html");
    return pages;
}

PageSetTest pageSetTest(const PageSetInput& in) {
    PageSetTest test;
    for (const DataRecord& record : in.answerKey)
        test.keys += record.key.trimmed().toUpper();
    test.optionCount = effectiveOptionCount(in.settings.siksay);
    test.netRule = effectiveNetRule(in.settings.yanlis);
    const qint32 minutes = in.settings.teksayfa ? qMax(in.settings.sure, 0) : 0;
    // A stored count that is not 1, 2 or 4 makes one booklet, here and in the pages.
    const qint32 booklets = isBookletCount(in.settings.kitapcik) ? in.settings.kitapcik : 1;
    test.identity = testIdentity(
        {in.testName, in.stem, test.keys, test.optionCount, test.netRule, minutes,
         questionDigests(QList<EmbeddedQuestion>(in.questions.begin(), in.questions.end()),
                         test.keys.size()),
         in.sections, booklets});
    test.booklets = bookletOrders(test.identity, qint32(test.keys.size()), in.sections, booklets);
    return test;
}

namespace {

SinglePageInput singlePageInput(const PageSetInput& in, const PageSetTest& test) {
    SinglePageInput page;
    page.testName = in.testName;
    page.stem = in.stem;
    page.explanationLines = in.explanationLines;
    page.settings = in.settings;
    page.keys = test.keys;
    page.questions = QList<EmbeddedQuestion>(in.questions.begin(), in.questions.end());
    page.firstImage = in.navigationImages[0];
    page.previousImage = in.navigationImages[1];
    page.nextImage = in.navigationImages[2];
    page.lastImage = in.navigationImages[3];
    page.testIdentity = test.identity;
    page.sections = in.sections;
    page.bookletCount = qint32(test.booklets.size());
    return page;
}

} // namespace

std::vector<OutputFile> pageSetFiles(const PageSetInput& in) {
    const PageSetNames names(in.stem);
    const auto path = [&in](const QString& name) { return in.folder + QDir::separator() + name; };

    QuestionPageInput question;
    const Settings& settings = in.settings;
    question.bodyColour = settings.sorus;
    question.dataFileName = names.dataFile;
    question.testName = in.testName;
    question.navFolder = settings.gezyer;
    question.explanationColour = settings.soruac;
    question.explanationLines = in.explanationLines;

    AnswerSheetInput sheet;
    sheet.pageColour = settings.cevaps;
    sheet.aceColour = settings.ace;
    sheet.bdColour = settings.bd;
    sheet.resultPageName = names.resultPage;
    sheet.questionCount = in.questionCount;
    sheet.optionCount = settings.siksay;

    ResultPageInput result;
    result.questionCount = in.questionCount;
    result.dataFileName = names.dataFile;
    result.pageColour = settings.sonucs;
    result.netRule = settings.yanlis;

    std::vector<OutputFile> files;
    files.push_back({path(names.frameset),
                     encodeCp1254Lines(framesetLines({names.questionPage, names.answerSheet}))});
    files.push_back({path(names.questionPage), encodeCp1254Lines(questionPageLines(question))});
    files.push_back({path(names.answerSheet), encodeCp1254Lines(answerSheetLines(sheet))});
    files.push_back({path(names.resultPage), encodeCp1254Lines(resultPageLines(result))});
    files.push_back(
        {path(names.dataFile), encodeUtf8Lines(dataFileLines(in.questionCount, in.answerKey))});
    if (settings.teksayfa) {
        const PageSetTest test = pageSetTest(in);
        SinglePageInput page = singlePageInput(in, test);
        const QStringList pageNames = names.singlePages(page.bookletCount);
        for (qsizetype b = 0; b < pageNames.size(); ++b) {
            // A one-booklet test's page names no booklet, as before booklets existed.
            if (pageNames.size() > 1) {
                page.booklet = test.booklets[std::size_t(b)].letter;
                page.order = test.booklets[std::size_t(b)].order;
            }
            files.push_back({path(pageNames[b]), singlePageBytes(page)});
        }
    }
    return files;
}

std::vector<QByteArray> livePages(const PageSetInput& in) {
    const PageSetTest test = pageSetTest(in);
    SinglePageInput page = singlePageInput(in, test);
    page.live = true;
    std::vector<QByteArray> pages;
    if (test.booklets.size() < 2) {
        pages.push_back(singlePageBytes(page));
        return pages;
    }
    for (const BookletOrder& booklet : test.booklets) {
        page.booklet = booklet.letter;
        page.order = booklet.order;
        pages.push_back(singlePageBytes(page));
    }
    return pages;
}
