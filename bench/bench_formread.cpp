// Reading filled optical forms: how right the reader is on a corpus of
// scans and phone photos made from the program's own printed forms
// (tools/FormCorpus), the time for one 300-dpi page on one core, and a PDF
// of 500 forms read page by page with progress.

#include "BenchSupport.h"
#include "forms/FormPdf.h"
#include "forms/FormReading.h"
#include "tools/FormCorpus.h"

#include <QFile>
#include <QJsonArray>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <opencv2/core.hpp>

namespace {

TestLookup lookupOf(const GeneratedTest& test) {
    return [test](const QString& identity) -> std::optional<GeneratedTest> {
        if (identity == test.identity)
            return test;
        return std::nullopt;
    };
}

const FormCorpus& corpus() {
    static const FormCorpus made;
    return made;
}

// 120 scans and 100 photos, written as JPEG files as a scanner or a phone leaves them.
struct CorpusFolder {
    QTemporaryDir dir;
    QStringList files;
    std::vector<QJsonObject> truths;

    CorpusFolder(int scans, int photos) {
        for (int i = 0; i < scans + photos; ++i) {
            const SheetPlan plan =
                corpus().randomPlan(1000u + quint32(i), i < scans ? Capture::Scan : Capture::Photo);
            const QString path = dir.filePath(QStringLiteral("sheet-%1.jpg").arg(i));
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(corpus().makeSheet(plan)) < 0)
                qFatal("cannot write a sheet");
            files << path;
            truths.push_back(corpus().truth(plan));
        }
    }
};

struct Tally {
    double rows = 0, flagged = 0, right = 0, refused = 0;
};

void FormReadAccuracy(benchmark::State& state) {
    cv::setNumThreads(1);
    const CorpusFolder folder(int(state.range(0)), int(state.range(1)));
    std::vector<ReadSheet> sheets;
    for (auto _ : state)
        sheets = readFormFiles(folder.files, lookupOf(corpus().test()));
    Tally scans, photos;
    int numbersWrong = 0, bookletsWrong = 0;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const QJsonObject& truth = folder.truths[i];
        Tally& tally =
            truth[QStringLiteral("capture")].toString() == QStringLiteral("scan") ? scans : photos;
        const ReadSheet& sheet = sheets[i];
        if (!sheet.refused.isEmpty()) {
            ++tally.refused;
            continue;
        }
        const QString expected = truth[QStringLiteral("answers")].toString();
        for (qsizetype q = 0; q < expected.size(); ++q) {
            ++tally.rows;
            if (sheet.answers[q] == u'?')
                ++tally.flagged;
            else if (sheet.answers[q] == expected[q])
                ++tally.right;
        }
        if (!sheet.number.contains(u'?') &&
            sheet.number != truth[QStringLiteral("number")].toString())
            ++numbersWrong;
        if (sheet.booklet != QStringLiteral("?") &&
            sheet.booklet != truth[QStringLiteral("booklet")].toString())
            ++bookletsWrong;
    }
    const auto percent = [](double part, double whole) {
        return whole > 0 ? 100 * part / whole : 0;
    };
    state.counters["scan_right_pct"] = percent(scans.right, scans.rows - scans.flagged);
    state.counters["photo_right_pct"] = percent(photos.right, photos.rows - photos.flagged);
    state.counters["scan_flagged_pct"] = percent(scans.flagged, scans.rows);
    state.counters["photo_flagged_pct"] = percent(photos.flagged, photos.rows);
    state.counters["scans_refused"] = scans.refused;
    state.counters["photos_refused"] = photos.refused;
    state.counters["numbers_wrong_unflagged"] = numbersWrong;
    state.counters["booklets_wrong_unflagged"] = bookletsWrong;
    if (numbersWrong > 0)
        benchFail(state, "a pupil's number was read wrong without a flag");
}

// One page already decoded, as a scanner at 300 dpi or a 12-megapixel phone gives it.
void FormReadPage(benchmark::State& state) {
    cv::setNumThreads(1);
    const Capture capture = state.range(0) ? Capture::Photo : Capture::Scan;
    const QImage page = QImage::fromData(corpus().makeSheet(corpus().randomPlan(7, capture)));
    ReadSheet sheet;
    for (auto _ : state)
        sheet = readSheet(page, lookupOf(corpus().test()));
    if (!sheet.refused.isEmpty())
        benchFail(state, sheet.refused.toStdString());
}

// A PDF of 500 pupils' own forms, each page rendered at 300 dpi and read,
// progress told after every page.
void FormReadPdf(benchmark::State& state) {
    cv::setNumThreads(1);
    const int pages = int(state.range(0));
    std::vector<FormPupil> pupils;
    for (int i = 0; i < pages; ++i)
        pupils.push_back({QString::number(1000 + i), QStringLiteral("Öğrenci %1").arg(i + 1)});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("forms.pdf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(printForms(corpus().test(), pupils).pdf) < 0)
        return benchFail(state, "cannot write the PDF");
    file.close();
    int told = 0, read = 0;
    for (auto _ : state) {
        told = 0;
        const auto sheets =
            readFormFiles({path}, lookupOf(corpus().test()), [&](int done, int known) {
                told = done;
                return known == pages;
            });
        read = int(std::count_if(sheets.begin(), sheets.end(),
                                 [](const ReadSheet& s) { return s.refused.isEmpty(); }));
    }
    if (told != pages || read != pages)
        return benchFail(state, "not every page was read and told");
    state.counters["ms_per_page"] =
        benchmark::Counter(double(pages) * double(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// A scanner's PDF: every page a filled, scanned form as a 300-dpi image (20
// different sheets in turn), each page rendered and read, progress told after
// every page.
void FormReadScannedPdf(benchmark::State& state) {
    cv::setNumThreads(1);
    const int pages = int(state.range(0));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("scans.pdf"));
    std::vector<QString> truths;
    {
        std::vector<QImage> scans;
        for (int i = 0; i < 20; ++i) {
            const SheetPlan plan = corpus().randomPlan(5000u + quint32(i), Capture::Scan);
            scans.push_back(QImage::fromData(corpus().makeSheet(plan)));
            truths.push_back(corpus().truth(plan)[QStringLiteral("answers")].toString());
        }
        QPdfWriter writer(path);
        writer.setResolution(300);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF());
        QPainter painter(&writer);
        for (int i = 0; i < pages; ++i) {
            if (i > 0)
                writer.newPage();
            const QImage& scan = scans[std::size_t(i) % scans.size()];
            painter.drawImage(
                QRect(QPoint(), scan.size().scaled(painter.viewport().size(), Qt::KeepAspectRatio)),
                scan);
        }
    }
    int told = 0, read = 0, wrong = 0;
    for (auto _ : state) {
        const auto sheets = readFormFiles({path}, lookupOf(corpus().test()), [&](int done, int) {
            told = done;
            return true;
        });
        read = wrong = 0;
        for (std::size_t i = 0; i < sheets.size(); ++i) {
            if (!sheets[i].refused.isEmpty())
                continue;
            ++read;
            const QString& truth = truths[i % truths.size()];
            for (qsizetype q = 0; q < truth.size(); ++q)
                wrong += sheets[i].answers[q] != u'?' && sheets[i].answers[q] != truth[q];
        }
    }
    state.counters["answers_wrong_unflagged"] = wrong;
    if (told != pages || read != pages)
        return benchFail(state, "not every page was read and told");
    state.counters["ms_per_page"] =
        benchmark::Counter(double(pages) * double(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(FormReadAccuracy)
    ->ArgNames({"scans", "photos"})
    ->Args({120, 100})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(FormReadPage)->ArgName("photo")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(FormReadPdf)
    ->ArgName("pages")
    ->Arg(20)
    ->Arg(500)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(FormReadScannedPdf)
    ->ArgName("pages")
    ->Arg(20)
    ->Arg(500)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
