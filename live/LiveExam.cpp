// Placeholder until the server lands: no exam can start.
#include "live/LiveExam.h"

#include "core/AppError.h"

struct LiveExam::State {
    GeneratedTest test;
};

LiveExam::LiveExam() : d(std::make_unique<State>()) {}
LiveExam::~LiveExam() = default;

std::unique_ptr<LiveExam> LiveExam::start(std::shared_ptr<Database>, const QString&,
                                          const std::vector<QByteArray>&, const QString&) {
    throw AppError(QStringLiteral(u"Canlı sınav henüz yok."));
}
std::vector<OpenLiveExam> LiveExam::openExams(Database&) { return {}; }
std::unique_ptr<LiveExam> LiveExam::resume(std::shared_ptr<Database>, qint64, const QString&) {
    throw AppError(QStringLiteral(u"Canlı sınav henüz yok."));
}
QUrl LiveExam::address() const { return {}; }
const GeneratedTest& LiveExam::test() const { return d->test; }
qint64 LiveExam::id() const { return 0; }
std::vector<LivePupil> LiveExam::pupils() const { return {}; }
void LiveExam::finish() {}
bool LiveExam::isFinished() const { return false; }
