// "Canlı sınav": the test made as "Sayfaları oluştur " makes it, then served
// to the pupils' browsers; and at start, an exam left open offered again.

#include "ui/Tanaekr.h"

#include "core/AppError.h"
#include "db/ProgramDatabase.h"
#include "live/LiveExam.h"
#include "run/GenerationRun.h"
#include "ui/ClassResultsWindow.h"
#include "ui/ErrorHandler.h"
#include "ui/LiveWindow.h"
#include "ui/Prompts.h"

#include <QDateTime>

void Tanaekr::canliSinavClick() {
    runCommand(m_prompts, [this] {
        if (!m_database->isConnected())
            throw AppError(QStringLiteral(u"Veritabanı açık değil; canlı sınav başlatılamaz."));
        const std::optional<GenerationOutcome> outcome = generate(true);
        if (!outcome)
            return;
        // The run's own message, as "Sayfaları oluştur " shows it (missing
        // questions included), before any pupil joins.
        m_prompts.message(Prompts::Kind::Plain, applicationTitle(), outcome->closingText);
        openLiveWindow(LiveExam::start(m_database->database(), outcome->testIdentity,
                                       outcome->livePages, m_liveListen));
    });
}

void Tanaekr::openLiveWindow(std::unique_ptr<LiveExam> exam) {
    LiveExam* running = exam.get();
    auto* window = new LiveWindow(m_prompts, std::move(exam), this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    // "Sınıf sonuçları", when open, shows each finish as it is stored.
    connect(running, &LiveExam::resultStored, this, [this, running] {
        for (ClassResultsWindow* results : findChildren<ClassResultsWindow*>())
            results->refresh(running->test().identity);
    });
    window->show();
    window->activateWindow();
}

void Tanaekr::offerOpenLiveExam() {
    if (!m_database->isConnected())
        return;
    const std::vector<OpenLiveExam> open = LiveExam::openExams(*m_database->database());
    if (open.empty())
        return;
    const OpenLiveExam& exam = open.front();
    const QString started = QDateTime::fromString(exam.started, Qt::ISODate)
                                .toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    if (!m_prompts.confirm(applicationTitle(),
                           QStringLiteral(u"Açık kalmış bir canlı sınav var: %1 (%2), %3 "
                                          u"başladı, %4 öğrenci. Sürdürülsün mü?")
                               .arg(exam.testName, exam.stem, started)
                               .arg(exam.pupils),
                           QStringLiteral(u"Canlı sınavı sürdür"), QStringLiteral(u"Şimdi değil")))
        return;
    openLiveWindow(LiveExam::resume(m_database->database(), exam.id, m_liveListen));
}
