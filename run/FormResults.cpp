#include "run/FormResults.h"

#include "core/AppError.h"
#include "db/ClassLists.h"
#include "results/ClassList.h"
#include "results/PupilName.h"

#include <QFileInfo>

#include <algorithm>
#include <set>

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");
// The version of the result check a read sheet is signed with (booklets included).
constexpr int kCheckVersion = 3;
constexpr qsizetype kListedRows = 10; // a refusal names this many undecided rows at most

// The listed pupils with this number; one pupil listed in two classes counts once.
std::vector<ListedPupil> pupilsWithNumber(const std::vector<ListedPupil>& pupils,
                                          const QString& number) {
    const QString key = pupilNumberKey(number);
    std::vector<ListedPupil> found;
    std::set<QString> names;
    for (const ListedPupil& pupil : pupils)
        if (pupilNumberKey(pupil.number) == key && names.insert(pupilNameKey(pupil.name)).second)
            found.push_back(pupil);
    return found;
}

bool hasWholeNumberFlag(const ReadSheet& sheet) {
    return std::any_of(sheet.flags.begin(), sheet.flags.end(), [](const FormFlag& flag) {
        return flag.row == FormFlag::Row::Number && flag.position == 0;
    });
}

// Flags a number the class lists do not name one pupil by, so that no
// result is stored under a pupil the teacher did not see. `everyone` holds
// every listed pupil's text once: a batch's flags share it.
void checkNumber(ReadSheet& sheet, const std::vector<ListedPupil>& pupils,
                 const QStringList& everyone) {
    if (!sheet.refused.isEmpty() || pupils.empty() || sheet.number.contains(u'?') ||
        hasWholeNumberFlag(sheet))
        return;
    const auto found = pupilsWithNumber(pupils, sheet.number);
    if (found.size() == 1)
        return;
    FormFlag flag;
    flag.row = FormFlag::Row::Number;
    flag.position = 0;
    flag.reason = found.empty() ? kNotInClassList : kSharedNumber;
    flag.cutout = sheet.nameBox;
    const auto candidates = numberCandidates(pupils, sheet);
    if (found.empty()) {
        if (candidates.size() > pupils.size())
            flag.choices << candidateText(candidates.front());
        flag.choices << everyone;
    } else {
        for (const ListedPupil& candidate : candidates)
            flag.choices << candidateText(candidate);
    }
    sheet.flags.push_back(flag);
}

// Why a sheet cannot be stored as the teacher left it, or empty.
QString undecided(const ReadSheet& sheet) {
    QStringList rows;
    if (sheet.number.contains(u'?') || hasWholeNumberFlag(sheet))
        rows << QStringLiteral(u"öğrenci numarası");
    if (sheet.booklet.contains(u'?'))
        rows << QStringLiteral(u"kitapçık");
    for (qsizetype i = 0; i < sheet.answers.size(); ++i)
        if (sheet.answers[i] == u'?')
            rows << QStringLiteral(u"%1. soru").arg(i + 1);
    if (rows.isEmpty())
        return {};
    if (rows.size() > kListedRows)
        rows = rows.first(kListedRows) << QStringLiteral(u"…");
    return QStringLiteral(u"seçilmemiş belirsiz satırlar var (%1); sonuç tahminle kaydedilmez")
        .arg(rows.join(QStringLiteral(", ")));
}

PupilResult resultOf(const ReadSheet& sheet, const QString& pupil, const QString& time) {
    PupilResult result;
    result.test = sheet.identity;
    result.name = pupil;
    result.answers = QString(sheet.answers).replace(u'.', u'-');
    result.booklet = sheet.booklet.isEmpty() ? QStringLiteral("A") : sheet.booklet;
    result.start = time;
    result.finish = time;
    result.attempt = 1;
    result.check = resultCheck(result, kCheckVersion);
    return result;
}

} // namespace

std::vector<ListedPupil> listedPupils(Database& db) {
    std::vector<ListedPupil> pupils;
    for (const QString& className : classNames(db))
        for (const ClassMember& member : classList(db, className))
            pupils.push_back({member.number, member.name, className});
    return pupils;
}

std::vector<ReadSheet> readFormsForDatabase(Database& db, const QStringList& files,
                                            const ReadProgress& progress) {
    std::vector<ReadSheet> sheets = readFormFiles(
        files, [&db](const QString& identity) { return findTest(db, identity); }, progress);
    checkNumbers(sheets, listedPupils(db));
    return sheets;
}

void checkNumbers(std::vector<ReadSheet>& sheets, const std::vector<ListedPupil>& pupils) {
    QStringList everyone;
    for (const ListedPupil& pupil : pupils)
        everyone << candidateText(pupil);
    for (ReadSheet& sheet : sheets)
        checkNumber(sheet, pupils, everyone);
}

std::vector<ListedPupil> numberCandidates(const std::vector<ListedPupil>& pupils,
                                          const ReadSheet& sheet) {
    std::vector<ListedPupil> found = pupilsWithNumber(pupils, sheet.number);
    if (found.size() > 1)
        return found;
    std::vector<ListedPupil> candidates;
    if (!sheet.number.isEmpty() && !sheet.number.contains(u'?'))
        candidates.push_back(
            {sheet.number, QStringLiteral(u"Öğrenci %1").arg(sheet.number), QString()});
    candidates.insert(candidates.end(), pupils.begin(), pupils.end());
    return candidates;
}

QString candidateText(const ListedPupil& pupil) {
    if (pupil.className.isEmpty())
        return QStringLiteral(u"%1 (listede yok)").arg(pupil.name);
    return QStringLiteral(u"%1 %2 (%3)").arg(pupil.number, pupil.name, pupil.className);
}

QString pupilNameOf(const std::vector<ListedPupil>& pupils, const ReadSheet& sheet) {
    if (!sheet.number.isEmpty() && !sheet.number.contains(u'?')) {
        const auto found = pupilsWithNumber(pupils, sheet.number);
        if (found.size() == 1)
            return found.front().name;
    }
    if (sheet.number.isEmpty())
        return QStringLiteral(u"Numarasız öğrenci");
    return QStringLiteral(u"Öğrenci %1").arg(sheet.number);
}

QString sheetPupilName(Database& db, const ReadSheet& sheet) {
    return pupilNameOf(listedPupils(db), sheet);
}

QString sheetPlace(const ReadSheet& sheet) {
    return QStringLiteral(u"%1 (sayfa %2)").arg(QFileInfo(sheet.file).fileName()).arg(sheet.page);
}

ResultBatch storeReadSheets(Database& db, const std::vector<ReadSheet>& sheets,
                            const QDateTime& readAt) {
    QStringList pupils;
    const std::vector<ListedPupil> listed = listedPupils(db);
    for (const ReadSheet& sheet : sheets)
        pupils << pupilNameOf(listed, sheet);
    return storeReviewedSheets(db, sheets, pupils, readAt);
}

ResultBatch storeReviewedSheets(Database& db, const std::vector<ReadSheet>& sheets,
                                const QStringList& pupils, const QDateTime& readAt) {
    if (pupils.size() != qsizetype(sheets.size()))
        throw AppError(QStringLiteral(u"Okunan formların öğrenci adları eksik."));
    std::vector<std::size_t> kept; // refused pages were reported when they were read
    for (std::size_t i = 0; i < sheets.size(); ++i)
        if (sheets[i].refused.isEmpty())
            kept.push_back(i);
    const QString time = readAt.toString(kTimeFormat);
    return storeResults(db, int(kept.size()), [&](int index, QString& what) {
        const std::size_t i = kept[std::size_t(index)];
        const ReadSheet& sheet = sheets[i];
        what = sheetPlace(sheet);
        if (const QString reason = undecided(sheet); !reason.isEmpty())
            throw AppError(reason);
        checkPupilName(pupils[qsizetype(i)]);
        return resultOf(sheet, pupils[qsizetype(i)], time);
    });
}
