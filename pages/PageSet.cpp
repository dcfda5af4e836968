#include "pages/PageSet.h"

#include "core/LineFile.h"
#include "pages/AnswerSheetPage.h"
#include "pages/DataFile.h"
#include "pages/FramesetPage.h"
#include "pages/QuestionPage.h"
#include "pages/ResultPage.h"

#include <QDir>

PageSetNames::PageSetNames(const QString& stem)
    : frameset(stem + QStringLiteral("ind.htm")), questionPage(stem + QStringLiteral("sor.htm")),
      answerSheet(stem + QStringLiteral("cev.htm")), resultPage(stem + QStringLiteral("son.htm")),
      dataFile(stem + QStringLiteral("xml.xml")) {}

std::vector<OutputFile> pageSetFiles(const PageSetInput& in) {
    const PageSetNames names(in.stem);
    const auto path = [&in](const QString& name) { return in.folder + QDir::separator() + name; };

    QuestionPageInput question;
    question.bodyColour = in.questionColour;
    question.dataFileName = names.dataFile;
    question.testName = in.testName;
    question.navFolder = in.navFolder;
    question.explanationColour = in.explanationColour;
    question.explanationLines = in.explanationLines;

    AnswerSheetInput sheet;
    sheet.pageColour = in.answerColour;
    sheet.aceColour = in.aceColour;
    sheet.bdColour = in.bdColour;
    sheet.resultPageName = names.resultPage;
    sheet.questionCount = in.questionCount;
    sheet.optionCount = in.optionCount;

    ResultPageInput result;
    result.questionCount = in.questionCount;
    result.dataFileName = names.dataFile;
    result.pageColour = in.resultColour;

    std::vector<OutputFile> files;
    files.push_back({path(names.frameset),
                     encodeCp1254Lines(framesetLines({names.questionPage, names.answerSheet}))});
    files.push_back({path(names.questionPage), encodeCp1254Lines(questionPageLines(question))});
    files.push_back({path(names.answerSheet), encodeCp1254Lines(answerSheetLines(sheet))});
    files.push_back({path(names.resultPage), encodeCp1254Lines(resultPageLines(result))});
    files.push_back(
        {path(names.dataFile), encodeUtf8Lines(dataFileLines(in.questionCount, in.answerKey))});
    return files;
}
