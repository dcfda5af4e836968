#pragma once

#include "results/GeneratedTest.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>
#include <vector>

class Database;

// A live exam: the generated test served to pupils' browsers over the
// school's own network. Every pupil, answer and finish is stored in the
// database as it arrives, before the request is answered, so that the program
// (or the computer) stopping in the middle loses nothing; a finish is scored
// from the stored key through the pupil's booklet and stored with the other
// results. Runs on the Qt event loop of the thread that made it; no widget.
//
// The pupils' page speaks the protocol of docs/live-protocol.md.

// One row of "Öğrenciler".
struct LivePupil {
    qint64 id = 0;
    QString name;
    QString booklet; // "A".."D"
    int answered = 0;
    enum class Status { InExam, Finished, Disconnected };
    Status status = Status::InExam;
    std::optional<double> net; // weighted total (or net) once finished
    bool sameNameElsewhere = false; // the same name joined from another device too
};

// An exam stored as still open, offered as "Canlı sınavı sürdür".
struct OpenLiveExam {
    qint64 id = 0;
    QString identity; // the stored test
    QString testName;
    QString stem;
    QString started; // "YYYY-MM-DDTHH:MM:SS", local
    int pupils = 0;
};

class LiveExam : public QObject {
    Q_OBJECT
public:
    // Starts a new exam of a stored test (findTest of db/ResultStore.h) with
    // the pupils' pages of each booklet, "A" first (GenerationOutcome::livePages),
    // listening on `listen` ("ADDRESS:PORT"; empty: every address of the
    // computer on the default port, another free port when that one is taken).
    // Throws AppError with a Turkish reason (the address cannot be listened on,
    // the test is not stored, ...), having stored nothing.
    static std::unique_ptr<LiveExam> start(std::shared_ptr<Database> db, const QString& identity,
                                           const std::vector<QByteArray>& livePages,
                                           const QString& listen = QString());

    // The exams stored as open, newest first.
    static std::vector<OpenLiveExam> openExams(Database& db);

    // Resumes an open exam with its stored pupils, answers and pages, on the
    // address it had when that is free (another port otherwise), unless
    // `listen` names one.
    static std::unique_ptr<LiveExam> resume(std::shared_ptr<Database> db, qint64 examId,
                                            const QString& listen = QString());

    ~LiveExam() override;

    // The pupils' address: http://<the computer's network address>:<port>/<token>/
    QUrl address() const;
    const GeneratedTest& test() const;
    qint64 id() const;

    std::vector<LivePupil> pupils() const;

    // "Sınavı bitir": stored at once; from then on pupils' pages learn the
    // correct answers and every answer, join or finish is refused in Turkish.
    // The pages go on being served.
    void finish();
    bool isFinished() const;

signals:
    void pupilsChanged();   // a pupil joined, answered, finished or lost connection
    void resultStored();    // a finish was stored in the results (for "Sınıf sonuçları")
    void examFinished();

private:
    LiveExam(); // see LiveExam.cpp
    struct State;
    std::unique_ptr<State> d;
};
