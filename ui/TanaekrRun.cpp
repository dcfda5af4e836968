// "Sayfaları oluştur ": the window reads its controls into the run's input,
// the run (run/GenerationRun) does the work, and the window shows the outcome.

#include "ui/Tanaekr.h"

#include "core/AppError.h"
#include "core/IntConversion.h"
#include "core/TestRules.h"
#include "db/Database.h"
#include "db/DatabaseLocation.h"
#include "db/ProgramDatabase.h"
#include "db/TableDataset.h"
#include "run/GenerationRun.h"
#include "ui/AnswerKeyGrid.h"
#include "ui/ErrorHandler.h"
#include "ui/Prompts.h"

#include <QDir>
#include <QLineEdit>

#include <optional>

void Tanaekr::refuse(const GenerationRefused& refusal) {
    if (refusal.field() == GenerationRefused::Field::QuestionCount)
        sorusaye->setFocus(Qt::OtherFocusReason);
    m_prompts.message(Prompts::Kind::Plain, applicationTitle(), refusal.message());
    throw CommandStopped();
}

qint32 Tanaekr::keyOptionCount() const {
    try {
        return effectiveOptionCount(strToInt(siksayl->text()));
    } catch (const AppError&) {
        return 5;
    }
}

GenerationInput Tanaekr::generationInput() {
    GenerationInput in;
    in.folder = klasor->text();
    in.stem = sayfaad->text();
    in.testName = testadl->text();
    in.questionCount = strToInt(sorusaye->text());
    in.explanationLines = explanationLines();
    in.settings = m_settingsControls.read();
    in.privatePaths = privateDataPaths(m_database->websoru().database().path());
    in.createMissingFolder = [this](const QString& folder) {
        return m_prompts.choose(applicationTitle(),
                                QStringLiteral(u"Klasör yok: %1 Oluşturulsun mu?")
                                    .arg(QDir::toNativeSeparators(folder)),
                                {QStringLiteral(u"Evet"), QStringLiteral(u"Hayır")}) == 0;
    };
    // A letter still in the grid's cell editor belongs to its row before the rows are read.
    liste->commitOpenEditor();
    return in;
}

std::optional<GenerationOutcome> Tanaekr::generate(bool live) {
    // The sections the run reads are those of the grid, stored first.
    syncSections();
    GenerationOutcome outcome;
    try {
        GenerationInput in = generationInput();
        in.livePages = live;
        outcome = runGeneration(in, m_database->websoru());
    } catch (const GenerationRefused& refusal) {
        refuse(refusal);
    }
    if (!outcome.written)
        return std::nullopt;
    return outcome;
}

void Tanaekr::sayfabClick() {
    runCommand(m_prompts, [this] {
        const std::optional<GenerationOutcome> outcome = generate(false);
        if (!outcome)
            return;
        if (outcome->singlePagePath.isEmpty()) {
            m_prompts.message(Prompts::Kind::Plain, applicationTitle(), outcome->closingText);
            return;
        }
        if (m_prompts.messageWithAction(applicationTitle(), outcome->closingText,
                                        QStringLiteral(u"Tarayıcıda aç")))
            m_prompts.openInDefaultProgram(outcome->singlePagePath);
    });
}
