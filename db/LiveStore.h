#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>
#include <vector>

class Database;

// The live exams kept durably, so that an exam goes on after the program or
// the computer stopped in its middle. SQL only; the rules are in live/.
//   webcanli:        no, kimlik (the stored test), jeton (the path's token),
//                    adres and kapi (where it listened), baslangic, bitis
//                    (NULL while open), sira (the next booklet turn)
//   webcanlisayfa:   sinav, kitapcik, sayfa (the pupils' page of a booklet)
//   webcanliogrenci: no, sinav, jeton, ad, adanahtar (pupilNameKey), cihaz,
//                    kitapcik, baslangic, bitis, cevaplar (the final answers),
//                    sonuc (1 once the result is stored), sontemas
//   webcanlicevap:   ogrenci, soru (place in the booklet), cevap, sira
// Unique constraints make a repeat change nothing. Times are local,
// "YYYY-MM-DDTHH:MM:SS".

// The statements that make the four tables (part of a new database and of
// the upgrade to schema version 6).
QString liveTablesSql();

struct StoredLiveExam {
    qint64 id = 0;
    QString identity;
    QString token;
    QString host;
    int port = 0;
    QString started;
    QString ended; // empty while open
    int nextTurn = 0;
};

struct StoredLivePupil {
    qint64 id = 0;
    QString token;
    QString name;
    QString nameKey;
    QString device;
    QString booklet;
    QString started;
    QString finished;     // empty until the pupil finishes
    QString finalAnswers; // in the booklet's order, once finished
    bool resultStored = false;
    QString lastContact;
};

struct StoredLiveAnswer {
    qint64 pupil = 0;
    int place = 0; // 1-based, in the pupil's booklet
    QChar answer;
    qint64 sequence = 0;
};

// Stores a new open exam with its pages (booklet "A" first); returns its number.
qint64 insertLiveExam(Database& db, const StoredLiveExam& exam,
                      const std::vector<QByteArray>& pages);
void setLiveExamAddress(Database& db, qint64 exam, const QString& host, int port);
void endLiveExam(Database& db, qint64 exam, const QString& ended);
std::optional<StoredLiveExam> findLiveExam(Database& db, qint64 exam);
// Open exams, newest first.
std::vector<StoredLiveExam> openLiveExams(Database& db);
int livePupilCount(Database& db, qint64 exam);
std::vector<QByteArray> liveExamPages(Database& db, qint64 exam);

// Stores a pupil and moves the exam's booklet turn on; returns the pupil's number.
qint64 insertLivePupil(Database& db, qint64 exam, const StoredLivePupil& pupil);
std::vector<StoredLivePupil> livePupils(Database& db, qint64 exam);
std::vector<StoredLiveAnswer> liveAnswers(Database& db, qint64 exam);

// Keeps an answer unless one of the same or a higher sequence is stored;
// true when it was kept.
bool saveLiveAnswer(Database& db, const StoredLiveAnswer& answer, const QString& contact);
void finishLivePupil(Database& db, qint64 pupil, const QString& finished, const QString& answers);
