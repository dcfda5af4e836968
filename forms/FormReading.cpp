#include "forms/FormReading.h"

#include "core/AppError.h"
#include "core/TestRules.h"
#include "forms/FormCode.h"
#include "forms/FormFinder.h"
#include "forms/FormImages.h"
#include "forms/FormLayout.h"
#include "forms/FormMarksReading.h"

#include <map>

using namespace Qt::StringLiterals;

namespace {

// The page is read at about 150 dpi: a bubble's inside is some 300 pixels,
// plenty for its mean, and straightening costs a quarter of 300 dpi.
constexpr double kPixelsPerMm = 6;
// A number column is printed when most of its ten rings are on the page.
constexpr double kRingPrinted = 0.3;
constexpr int kRingsPrinted = 7;

// What every form has wherever its test's bubbles lie: markers and QR code.
const FormLayout& frameLayout() {
    static const FormLayout layout = [] {
        GeneratedTest any;
        any.count = 1;
        any.keys = u"A"_s;
        return formLayout(any, {});
    }();
    return layout;
}

ReadSheet refusedSheet(const QString& reason) {
    ReadSheet sheet;
    sheet.refused = reason;
    return sheet;
}

QImage cutout(const cv::Mat& straight, double x, double y, double w, double h) {
    const cv::Rect area = cv::Rect(int(x * kPixelsPerMm), int(y * kPixelsPerMm),
                                   int(w * kPixelsPerMm), int(h * kPixelsPerMm)) &
                          cv::Rect(0, 0, straight.cols, straight.rows);
    if (area.empty())
        return {};
    const cv::Mat part = straight(area);
    return QImage(part.data, part.cols, part.rows, int(part.step), QImage::Format_Grayscale8)
        .copy();
}

// The number of "Öğrenci No" digits the form was printed with: the columns
// whose printed rings are on the page, from the left. The QR code does not
// carry it, and the form's own print is the surest witness.
int printedDigits(const BubbleMeter& meter, const GeneratedTest& test) {
    const FormLayout widest = formLayout(test, {kMaxNumberDigits, false});
    std::vector<int> rings(kMaxNumberDigits + 1, 0);
    for (const FormBubble& b : widest.bubbles)
        if (b.kind == FormBubble::Kind::Number && meter.ring(b.x, b.y, b.r) >= kRingPrinted)
            ++rings[std::size_t(b.position)];
    int digits = 0;
    while (digits < kMaxNumberDigits && rings[std::size_t(digits + 1)] >= kRingsPrinted)
        ++digits;
    return digits;
}

// One row of bubbles: a question, a digit's place, or the booklet.
struct Row {
    FormFlag::Row kind = FormFlag::Row::Answer;
    int index = 0; // question or place
    std::vector<const FormBubble*> bubbles;
    std::vector<Bubble> measured;
    RowReading reading;
};

QImage rowCutout(const cv::Mat& straight, const Row& row) {
    double left = 1e9, right = -1e9, top = 1e9, bottom = -1e9;
    for (const FormBubble* b : row.bubbles) {
        left = std::min(left, b->x - b->r);
        right = std::max(right, b->x + b->r);
        top = std::min(top, b->y - b->r);
        bottom = std::max(bottom, b->y + b->r);
    }
    // A question's number to its left, a digit's written cell above it.
    if (row.kind == FormFlag::Row::Answer)
        left -= 8;
    if (row.kind == FormFlag::Row::Number)
        top -= 6;
    return cutout(straight, left - 1.5, top - 1.5, right - left + 3, bottom - top + 3);
}

void readRows(ReadSheet& sheet, const cv::Mat& straight, const BubbleMeter& meter,
              const FormLayout& layout, const GeneratedTest& test) {
    std::map<std::pair<int, int>, Row> rows; // by kind and index, in the form's order
    for (const FormBubble& b : layout.bubbles) {
        const FormFlag::Row kind = b.kind == FormBubble::Kind::Answer   ? FormFlag::Row::Answer
                                   : b.kind == FormBubble::Kind::Number ? FormFlag::Row::Number
                                                                        : FormFlag::Row::Booklet;
        const int index = kind == FormFlag::Row::Answer   ? b.question
                          : kind == FormFlag::Row::Number ? b.position
                                                          : 0;
        Row& row = rows[{int(kind), index}];
        row.kind = kind;
        row.index = index;
        row.bubbles.push_back(&b);
        row.measured.push_back({meter.inside(b.x, b.y), meter.around(b.x, b.y)});
    }
    std::vector<std::vector<Bubble>> all;
    for (const auto& [key, row] : rows)
        all.push_back(row.measured);
    const MarkLevels levels = markLevels(all);

    const QString letters = optionLetters(test.optionCount);
    sheet.answers = QString(test.count, u'.');
    sheet.booklet = u"A"_s;
    for (auto& [key, row] : rows) {
        row.reading = decideRow(row.measured, levels);
        QChar read = u'.';
        if (row.reading.marked >= 0) {
            const FormBubble& b = *row.bubbles[std::size_t(row.reading.marked)];
            read = row.kind == FormFlag::Row::Number ? QChar(u'0' + b.digit) : b.option;
        }
        if (row.kind == FormFlag::Row::Booklet && read == u'.' && row.reading.reason.isEmpty())
            row.reading.reason = u"Kitapçık işaretlenmemiş"_s;
        if (!row.reading.reason.isEmpty())
            read = u'?';

        if (row.kind == FormFlag::Row::Answer)
            sheet.answers[row.index - 1] = read;
        else if (row.kind == FormFlag::Row::Booklet)
            sheet.booklet = read;
        else if (read != u'.') // an empty place is left out: a short number
            sheet.number += read;
        if (row.reading.reason.isEmpty())
            continue;

        FormFlag flag;
        flag.row = row.kind;
        flag.question = row.kind == FormFlag::Row::Answer ? row.index : 0;
        flag.position = row.kind == FormFlag::Row::Number ? row.index : 0;
        flag.reason = row.reading.reason;
        flag.cutout = rowCutout(straight, row);
        if (row.kind == FormFlag::Row::Number) {
            for (int d = 0; d <= 9; ++d)
                flag.choices << QString::number(d);
        } else {
            for (const FormBubble* b : row.bubbles)
                flag.choices << QString(b->option);
        }
        if (row.kind != FormFlag::Row::Booklet)
            flag.choices << u"Boş"_s;
        sheet.flags.push_back(flag);
    }
    // Flags in the order a teacher reads the form: number, booklet, questions.
    const auto rank = [](const FormFlag& f) {
        return f.row == FormFlag::Row::Number ? 0 : f.row == FormFlag::Row::Booklet ? 1 : 2;
    };
    std::stable_sort(sheet.flags.begin(), sheet.flags.end(),
                     [&rank](const FormFlag& a, const FormFlag& b) { return rank(a) < rank(b); });
}

ReadSheet readPage(const QImage& page, const TestLookup& testOf) {
    if (page.isNull())
        return refusedSheet(u"Sayfa boş ya da okunamadı"_s);
    if (qint64(page.width()) * page.height() > kMaxSheetPixels)
        return refusedSheet(u"Görüntü çok büyük; okunmadı"_s);
    const QImage greyImage = page.convertToFormat(QImage::Format_Grayscale8);
    const cv::Mat grey(greyImage.height(), greyImage.width(), CV_8UC1,
                       const_cast<uchar*>(greyImage.constBits()),
                       std::size_t(greyImage.bytesPerLine()));

    const std::optional<FoundForm> form = findForm(grey, frameLayout());
    if (!form)
        return refusedSheet(u"Formun köşe işaretleri bulunamadı: sayfa bir optik form değil "
                            u"ya da dört köşesinden biri görünmüyor"_s);
    const std::optional<QString> text = readFormQr(grey, *form, frameLayout().qr);
    if (!text)
        return refusedSheet(u"Formun QR kodu okunamadı"_s);
    const std::optional<FormCode> code = parseFormCode(*text);
    if (!code)
        return refusedSheet(u"QR kodu bu programın optik formuna ait değil"_s);
    if (code->layoutVersion != kFormLayoutVersion)
        return refusedSheet(u"Form başka bir yerleşim sürümüyle basılmış (%1); bu sürüm "
                            u"yalnız %2. sürümü okur"_s.arg(code->layoutVersion)
                                .arg(kFormLayoutVersion));
    const std::optional<GeneratedTest> test = testOf(code->identity);
    if (!test)
        return refusedSheet(
            u"Form bu veritabanında olmayan bir teste ait (test kimliği %1)"_s.arg(code->identity));

    ReadSheet sheet;
    sheet.identity = code->identity;
    sheet.layoutVersion = code->layoutVersion;
    const FormLayout& frame = frameLayout();
    const cv::Mat straight =
        straighten(grey, *form, {0, 0, frame.width, frame.height}, kPixelsPerMm);
    const BubbleMeter meter(straight, kPixelsPerMm);

    FormOptions options;
    options.personal = !code->pupilNumber.isEmpty();
    if (!options.personal) {
        options.numberDigits = printedDigits(meter, *test);
        if (options.numberDigits == 0)
            return refusedSheet(u"Formda \"Öğrenci No\" alanı bulunamadı"_s);
    }
    const FormLayout layout = formLayout(*test, options);
    readRows(sheet, straight, meter, layout, *test);
    if (options.personal) {
        sheet.number = code->pupilNumber;
        sheet.numberFromCode = true;
    }
    for (const FormBox& box : layout.boxes)
        if (box.kind == FormBox::Kind::Name)
            sheet.nameBox = cutout(straight, box.x - 1, box.y - 1, box.w + 2, box.h + 2);
    return sheet;
}

} // namespace

ReadSheet readSheet(const QImage& page, const TestLookup& testOf) {
    try {
        return readPage(page, testOf);
    } catch (const AppError& error) {
        return refusedSheet(error.text());
    } catch (const std::exception& error) {
        return refusedSheet(u"Sayfa okunamadı: %1"_s.arg(QString::fromLocal8Bit(error.what())));
    }
}

std::vector<ReadSheet> readFormFiles(const QStringList& files, const TestLookup& testOf,
                                     const ReadProgress& progress) {
    std::vector<ReadSheet> sheets;
    int done = 0;
    int known = int(files.size()); // a file counts as one page until it is opened
    for (const QString& file : files) {
        FormPageSource source(file);
        const int pages = source.refused().isEmpty() ? source.pageCount() : 1;
        known += pages - 1;
        for (int page = 0; page < pages; ++page) {
            ReadSheet sheet;
            if (!source.refused().isEmpty()) {
                sheet = refusedSheet(source.refused());
            } else {
                FormPage decoded = source.page(page);
                sheet = decoded.refused.isEmpty() ? readSheet(decoded.image, testOf)
                                                  : refusedSheet(decoded.refused);
            }
            sheet.file = file;
            sheet.page = page + 1;
            sheets.push_back(std::move(sheet));
            if (progress && !progress(++done, known))
                return sheets;
        }
    }
    return sheets;
}
