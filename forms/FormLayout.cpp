#include "forms/FormLayout.h"

#include "core/AppError.h"
#include "core/Sections.h"
#include "core/TestRules.h"

#include <algorithm>

namespace {

// Bubbles of 4 mm with 1.2 mm of paper between neighbours: large enough for
// a pencil, far enough apart that a mark in one does not reach the next.
constexpr double kRadius = 2.0;
constexpr double kPitch = 5.2;

// Corner markers: 15 mm squares 8 mm in from the edges, so that a phone
// photo that crops a little still holds all four.
constexpr double kMarkerSize = 15;
constexpr double kMarkerMargin = 8;

// The answer area: below the header, above the bottom markers.
constexpr double kLetterRowTop = 91.5;
constexpr double kFirstRowCentre = 100.6;
constexpr double kAreaBottom = 270;
constexpr int kMaxColumns = 5;
constexpr int kMaxRows = int((kAreaBottom - kFirstRowCentre - kRadius) / kPitch) + 1;
// Below this many rows a column is not split, so that a short test reads as one list.
constexpr int kShortColumn = 20;

// Number grid of "Öğrenci No": first digit column's centre, first row's centre.
constexpr double kNumberLeft = 123;
constexpr double kNumberCellsTop = 30;
constexpr double kNumberFirstRow = 39;

constexpr double kQrLeft = 176;
constexpr double kQrTop = 27;
constexpr double kQrSize = 24;

// One row of an answer column: a section's heading, or a question.
struct Row {
    int question = 0; // 0: a heading
    QString heading;  // empty with question 0: a gap after a section ends
};

std::vector<Row> answerRows(const GeneratedTest& test) {
    checkSections(test.sections, test.count);
    const std::vector<int> sectionOf = sectionOfQuestions(test.sections, test.count);
    std::vector<Row> rows;
    int current = -1;
    for (int q = 1; q <= test.count; ++q) {
        const int section = sectionOf[std::size_t(q - 1)];
        if (section != current) {
            rows.push_back(
                {0, section >= 0 ? test.sections[std::size_t(section)].name : QString()});
            current = section;
        }
        rows.push_back({q, {}});
    }
    // The questions before any section need no gap above them.
    if (!rows.empty() && rows.front().question == 0 && rows.front().heading.isEmpty())
        rows.erase(rows.begin());
    return rows;
}

// The rows split into columns of at most `height`; a heading never ends a
// column and a gap never begins one.
std::vector<std::vector<Row>> flow(const std::vector<Row>& rows, int height) {
    std::vector<std::vector<Row>> columns(1);
    for (const Row& row : rows) {
        auto* column = &columns.back();
        const bool full = int(column->size()) == height ||
                          (row.question == 0 && int(column->size()) >= height - 1);
        if (full) {
            column = &columns.emplace_back();
            if (row.question == 0 && row.heading.isEmpty())
                continue;
        }
        column->push_back(row);
    }
    return columns;
}

FormText text(const QString& t, double x, double y, double w, double h, double points,
              bool bold = false, FormText::Align align = FormText::Align::Left) {
    return {t, x, y, w, h, points, bold, align};
}

void addHeader(FormLayout& layout, const GeneratedTest& test, const FormOptions& options) {
    const double right = layout.width - kMarkerMargin - kMarkerSize;
    const double left = kMarkerMargin + kMarkerSize + 3;
    layout.texts.push_back(
        text(test.name, left, 9, right - 3 - left, 7, 12, true, FormText::Align::Centre));
    layout.texts.push_back(text(
        QStringLiteral(u"Cevabınızı kurşun kalemle, yuvarlağı tamamen doldurarak işaretleyiniz."),
        left, 17, right - 3 - left, 5, 8, false, FormText::Align::Centre));

    layout.texts.push_back(text(QStringLiteral(u"Adı Soyadı"), 10, 25, 60, 4.5, 8, true));
    layout.boxes.push_back({FormBox::Kind::Name, 10, 30, 100, 10});
    layout.texts.push_back(text(QStringLiteral(u"Sınıfı"), 10, 43, 40, 4.5, 8, true));
    layout.boxes.push_back({FormBox::Kind::Class, 10, 48, 40, 10});

    if (test.booklets.size() > 1) {
        layout.texts.push_back(text(QStringLiteral(u"Kitapçık türü"), 60, 43, 40, 4.5, 8, true));
        for (std::size_t k = 0; k < test.booklets.size(); ++k) {
            const double x = 63 + double(k) * 7;
            const QChar letter = test.booklets[k].letter;
            layout.texts.push_back(
                text(QString(letter), x - 2, 48, 4, 3.5, 7, true, FormText::Align::Centre));
            FormBubble bubble;
            bubble.kind = FormBubble::Kind::Booklet;
            bubble.option = letter;
            bubble.x = x;
            bubble.y = 55;
            bubble.r = kRadius;
            layout.bubbles.push_back(bubble);
        }
    }

    const int digits = options.numberDigits;
    const double cellsLeft = kNumberLeft - kPitch / 2;
    layout.texts.push_back(text(QStringLiteral(u"Öğrenci No"), cellsLeft, 25, 45, 4.5, 8, true));
    layout.numberField = {cellsLeft, kNumberCellsTop, std::max(digits * kPitch, 30.0), kPitch};
    if (options.personal)
        return;
    for (int p = 0; p < digits; ++p)
        layout.frames.push_back({cellsLeft + p * kPitch, kNumberCellsTop, kPitch, kPitch});
    for (int d = 0; d <= 9; ++d) {
        const double y = kNumberFirstRow + d * kPitch;
        layout.texts.push_back(text(QString::number(d), cellsLeft - 5, y - 1.75, 4, 3.5, 7, false,
                                    FormText::Align::Right));
        for (int p = 0; p < digits; ++p) {
            FormBubble bubble;
            bubble.kind = FormBubble::Kind::Number;
            bubble.position = p + 1;
            bubble.digit = d;
            bubble.x = kNumberLeft + p * kPitch;
            bubble.y = y;
            bubble.r = kRadius;
            layout.bubbles.push_back(bubble);
        }
    }
}

void addAnswers(FormLayout& layout, const GeneratedTest& test) {
    const std::vector<Row> rows = answerRows(test);
    const int total = int(rows.size());
    int height = std::max((total + kMaxColumns - 1) / kMaxColumns, std::min(total, kShortColumn));
    std::vector<std::vector<Row>> columns = flow(rows, height);
    while (int(columns.size()) > kMaxColumns && height < kMaxRows)
        columns = flow(rows, ++height);
    if (int(columns.size()) > kMaxColumns)
        throw AppError(QStringLiteral(u"Bölüm başlıklarıyla birlikte sorular optik formun bir "
                                      u"yüzüne sığmıyor; bölüm sayısını azaltın."));

    const QString letters = optionLetters(test.optionCount);
    // A column: the question's number, then one bubble per option.
    constexpr double numberWidth = 6.5;
    constexpr double firstBubble = 9.5;
    const double columnWidth = firstBubble + (letters.size() - 1) * kPitch + kRadius;
    const double stride = columnWidth + 4;
    const double blockWidth = double(columns.size()) * stride - 4;
    const double blockLeft = (layout.width - blockWidth) / 2;

    for (std::size_t c = 0; c < columns.size(); ++c) {
        const double x0 = blockLeft + double(c) * stride;
        for (qsizetype k = 0; k < letters.size(); ++k)
            layout.texts.push_back(text(QString(letters[k]), x0 + firstBubble + k * kPitch - 2,
                                        kLetterRowTop, 4, 4, 8, true, FormText::Align::Centre));
        for (std::size_t i = 0; i < columns[c].size(); ++i) {
            const Row& row = columns[c][i];
            const double y = kFirstRowCentre + double(i) * kPitch;
            if (row.question == 0) {
                layout.texts.push_back(text(row.heading, x0, y - 2, columnWidth, 4, 7, true));
                continue;
            }
            layout.texts.push_back(text(QString::number(row.question), x0, y - 1.75, numberWidth,
                                        3.5, 7, true, FormText::Align::Right));
            for (qsizetype k = 0; k < letters.size(); ++k) {
                FormBubble bubble;
                bubble.kind = FormBubble::Kind::Answer;
                bubble.question = row.question;
                bubble.option = letters[k];
                bubble.x = x0 + firstBubble + k * kPitch;
                bubble.y = y;
                bubble.r = kRadius;
                layout.bubbles.push_back(bubble);
            }
        }
    }
}

} // namespace

FormLayout formLayout(const GeneratedTest& test, const FormOptions& options) {
    if (test.count < 1)
        throw AppError(QStringLiteral(u"Testte soru yok; optik form hazırlanamaz."));
    if (test.count > kMaxFormQuestions)
        throw AppError(QStringLiteral(u"Optik form en çok %1 soruluk bir test için hazırlanabilir; "
                                      u"bu testte %2 soru var.")
                           .arg(kMaxFormQuestions)
                           .arg(test.count));
    if (options.numberDigits < 1 || options.numberDigits > kMaxNumberDigits)
        throw AppError(QStringLiteral(u"Öğrenci numarasının hane sayısı 1 ile %1 arasında olmalı.")
                           .arg(kMaxNumberDigits));

    FormLayout layout;
    layout.personal = options.personal;
    const double far = layout.width - kMarkerMargin - kMarkerSize;
    const double low = layout.height - kMarkerMargin - kMarkerSize;
    layout.markers = {{0, kMarkerMargin, kMarkerMargin, kMarkerSize},
                      {1, far, kMarkerMargin, kMarkerSize},
                      {2, far, low, kMarkerSize},
                      {3, kMarkerMargin, low, kMarkerSize}};
    layout.qr = {kQrLeft, kQrTop, kQrSize};
    addHeader(layout, test, options);
    addAnswers(layout, test);
    return layout;
}
