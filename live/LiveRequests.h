#pragma once

#include "results/GeneratedTest.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <exception>

// The bodies of the pupils' requests, read and checked before anything is
// stored, and the replies the page reads (docs/live-protocol.md).

// A request refused: the status and the Turkish reason the page shows.
class LiveRefusal : public std::exception {
public:
    LiveRefusal(int status, QString reason)
        : m_status(status), m_reason(std::move(reason)), m_utf8(m_reason.toUtf8()) {}
    int status() const noexcept { return m_status; }
    const QString& reason() const noexcept { return m_reason; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    int m_status;
    QString m_reason;
    QByteArray m_utf8;
};

// Bodies larger than these are refused unread.
inline constexpr qint64 kLiveBodyLimit = 16 * 1024;
inline constexpr qint64 kLiveFinishBodyLimit = 64 * 1024;
// A name longer than this is not a pupil's name.
inline constexpr int kLiveNameLimit = 100;

struct JoinRequest {
    QString name; // ends trimmed
    QString device;
};
struct AnswerRequest {
    QString pupil;
    int place = 0; // 1-based
    QChar answer;  // upper-case letter or '-'
    qint64 sequence = 0;
};
struct FinishRequest {
    QString pupil;
    QString answers; // upper-case, the test's length
};

JoinRequest parseJoin(const QByteArray& body);
AnswerRequest parseAnswer(const QByteArray& body, const GeneratedTest& test);
FinishRequest parseFinish(const QByteArray& body, const GeneratedTest& test);

// Whether `text` is `digits` hexadecimal digits (the pupil, device and exam tokens).
bool isHexToken(const QString& text, int digits = 32);

QByteArray refusalJson(const QString& reason);

// The totals of a finish, from answers in the teacher's order.
struct LiveTotals {
    double net = 0;  // the weighted total with sections, else the net
    QByteArray json; // the reply of `bitir`
};
LiveTotals liveTotals(const GeneratedTest& test, const QString& teacherAnswers);

// The key in the order of `booklet`.
QString keyInBookletOrder(const GeneratedTest& test, const QString& booklet);
