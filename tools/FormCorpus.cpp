// Filled forms for measuring the reader. Every sheet starts from a form the
// program printed (forms/FormPdf), rendered at 300 dpi from its PDF, and is
// repeatable from its seed.
//
// The marks, drawn in the layout's bubbles: a pupil's pencil of darkness 0.45
// to 0.9 (varying ±10 % from mark to mark), with graphite grain; marks of 0.8
// to 1.15 times the bubble, off centre by up to 0.35 mm, a quarter of them
// incomplete (75–95 % of the bubble); 6 % of rows blank; about 1.2 % of rows
// doubtful: a faint mark (light or small), an eraser's residue alone, a
// residue beside a new mark, two marks, or a bubble crossed out beside a
// mark. A name is written in the name box; one sheet in 25 has a faintly
// marked digit in its number.
//
// A scan: fed at any of four turns (mostly upright), rotated by up to 1.5°,
// shifted by up to 3 mm and scaled by ±1.5 %, paper 228–250 grey with the
// contrast lowered up to 15 %, Gaussian noise of σ 3–7 grey levels, JPEG
// quality 55–90.
// A photo: the page tilted by up to 30° about any axis and turned by up to
// 8° in its plane, seen in perspective in a 12-megapixel frame on a table,
// light falling off by up to 40 % across the page, a shadow of 20–45 % with a
// soft edge across part of it, blur of σ 0.6–1.6 pixels, noise of σ 2–5,
// JPEG quality 70–90.

#include "tools/FormCorpus.h"

#include "core/Booklets.h"
#include "forms/FormPdf.h"

#include <QBuffer>
#include <QImage>
#include <QJsonArray>
#include <QPainter>
#include <QPdfDocument>

#include <opencv2/calib3d.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <random>

using namespace Qt::StringLiterals;

namespace {

constexpr double kDpi = 300;
constexpr double kPx = kDpi / 25.4; // pixels per millimetre

struct Form {
    cv::Mat page; // grey, 300 dpi
    FormLayout layout;
    QString number; // a pupil's own form: the printed number
};

using Random = std::mt19937;

double uniform(Random& random, double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
}

bool chance(Random& random, double p) {
    return uniform(random, 0, 1) < p;
}

std::vector<cv::Mat> rendered(const QByteArray& pdf) {
    QByteArray bytes = pdf;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QPdfDocument document;
    document.load(&buffer);
    std::vector<cv::Mat> pages;
    for (int i = 0; i < document.pageCount(); ++i) {
        const QImage ink = document.render(i, (document.pagePointSize(i) * kDpi / 72).toSize());
        QImage page(ink.size(), QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter(&page).drawImage(0, 0, ink);
        const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
        pages.push_back(cv::Mat(grey.height(), grey.width(), CV_8UC1,
                                const_cast<uchar*>(grey.constBits()),
                                std::size_t(grey.bytesPerLine()))
                            .clone());
    }
    return pages;
}

// Darkens `page` by `mask` (0–255) times `darkness`, with a grain of `grain`
// (0: even, 0.3: graphite's).
void ink(cv::Mat& page, const cv::Rect& area, const cv::Mat& mask, double darkness, double grain,
         Random& random) {
    const cv::Rect inside = area & cv::Rect(0, 0, page.cols, page.rows);
    for (int y = inside.y; y < inside.y + inside.height; ++y)
        for (int x = inside.x; x < inside.x + inside.width; ++x) {
            const double m = mask.at<uchar>(y - area.y, x - area.x) / 255.0;
            if (m <= 0)
                continue;
            const double g = 1 - grain * uniform(random, 0, 1);
            uchar& v = page.at<uchar>(y, x);
            v = cv::saturate_cast<uchar>(v * (1 - darkness * m * g));
        }
}

// A filled, slightly ragged disc, cut by a chord when `complete` < 1.
void pencilMark(cv::Mat& page, cv::Point2d mm, double radiusMm, double darkness, double complete,
                Random& random) {
    const int reach = int(radiusMm * 1.3 * kPx) + 2;
    const cv::Point centre(int(mm.x * kPx), int(mm.y * kPx));
    const cv::Rect area(centre.x - reach, centre.y - reach, 2 * reach, 2 * reach);
    cv::Mat mask(area.size(), CV_8UC1, cv::Scalar(0));
    std::vector<cv::Point> outline;
    for (int k = 0; k < 28; ++k) {
        const double a = 2 * M_PI * k / 28;
        const double r = radiusMm * kPx * uniform(random, 0.93, 1.07);
        outline.emplace_back(reach + int(r * std::cos(a)), reach + int(r * std::sin(a)));
    }
    cv::fillPoly(mask, std::vector<std::vector<cv::Point>>{outline}, 255, cv::LINE_AA);
    if (complete < 1) {
        const double a = uniform(random, 0, 2 * M_PI);
        const double cut = (1 - 2.4 * (1 - complete)) * radiusMm * kPx;
        const cv::Point2d dir(std::cos(a), std::sin(a));
        for (int y = 0; y < mask.rows; ++y)
            for (int x = 0; x < mask.cols; ++x)
                if ((x - reach) * dir.x + (y - reach) * dir.y > cut)
                    mask.at<uchar>(y, x) = 0;
    }
    ink(page, area, mask, darkness, 0.3, random);
}

// What an eraser leaves: a soft grey smear, wider than the bubble.
void residue(cv::Mat& page, cv::Point2d mm, Random& random) {
    const double r = 2.0 * uniform(random, 1.1, 1.4);
    const int reach = int(r * 1.6 * kPx);
    const cv::Rect area(int(mm.x * kPx) - reach, int(mm.y * kPx) - reach, 2 * reach, 2 * reach);
    cv::Mat mask(area.size(), CV_8UC1, cv::Scalar(0));
    cv::ellipse(mask, {reach, reach},
                cv::Size(int(r * kPx), int(r * kPx * uniform(random, 0.8, 1))),
                uniform(random, 0, 180), 0, 360, 255, cv::FILLED, cv::LINE_AA);
    cv::GaussianBlur(mask, mask, {}, 0.5 * kPx);
    ink(page, area, mask, uniform(random, 0.08, 0.2), 0.5, random);
}

void crossOut(cv::Mat& page, cv::Point2d mm, double darkness, Random& random) {
    const int reach = int(3 * kPx);
    const cv::Rect area(int(mm.x * kPx) - reach, int(mm.y * kPx) - reach, 2 * reach, 2 * reach);
    cv::Mat mask(area.size(), CV_8UC1, cv::Scalar(0));
    const int d = int(2.5 * kPx), w = int(0.5 * kPx);
    cv::line(mask, {reach - d, reach - d}, {reach + d, reach + d}, 255, w, cv::LINE_AA);
    cv::line(mask, {reach - d, reach + d}, {reach + d, reach - d}, 255, w, cv::LINE_AA);
    ink(page, area, mask, darkness, 0.3, random);
}

void fill(cv::Mat& page, cv::Point2d mm, const SheetPlan& plan, Random& random) {
    const double darkness = std::min(0.95, plan.pencil * uniform(random, 0.9, 1.1));
    const cv::Point2d off(uniform(random, -0.35, 0.35), uniform(random, -0.35, 0.35));
    const double complete = chance(random, 0.25) ? uniform(random, 0.75, 0.95) : 1.0;
    pencilMark(page, mm + off, 2.0 * uniform(random, 0.8, 1.15), darkness, complete, random);
}

void faintMark(cv::Mat& page, cv::Point2d mm, const SheetPlan& plan, Random& random) {
    if (chance(random, 0.5))
        pencilMark(page, mm, 2.0 * uniform(random, 0.9, 1.05), uniform(random, 0.2, 0.3), 1.0,
                   random);
    else // a small dot
        pencilMark(page, mm, 2.0 * uniform(random, 0.35, 0.45), plan.pencil, 1.0, random);
}

cv::Point2d answerBubble(const FormLayout& layout, int question, int option) {
    for (const FormBubble& b : layout.bubbles)
        if (b.kind == FormBubble::Kind::Answer && b.question == question &&
            b.option == QChar(u'A' + option))
            return {b.x, b.y};
    return {};
}

cv::Mat scanned(const cv::Mat& page, Random& random) {
    const cv::Point2f centre(float(page.cols) / 2, float(page.rows) / 2);
    cv::Mat m =
        cv::getRotationMatrix2D(centre, uniform(random, -1.5, 1.5), uniform(random, 0.985, 1.015));
    m.at<double>(0, 2) += uniform(random, -3, 3) * kPx;
    m.at<double>(1, 2) += uniform(random, -3, 3) * kPx;
    cv::Mat out;
    cv::warpAffine(page, out, m, page.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT, 255);
    const double contrast = uniform(random, 0.85, 1.0);
    const double white = uniform(random, 228, 250);
    out.convertTo(out, CV_8U, contrast, white - 255 * contrast);
    cv::Mat noise(out.size(), CV_16SC1);
    cv::randn(noise, 0, uniform(random, 3, 7));
    cv::add(out, noise, out, cv::noArray(), CV_8U);
    return out;
}

cv::Mat photographed(const cv::Mat& page, Random& random) {
    const bool wide = page.cols > page.rows;
    const cv::Size frame = wide ? cv::Size(4000, 3000) : cv::Size(3000, 4000);
    cv::Mat canvas(frame, CV_8UC1, cv::Scalar(uniform(random, 70, 170)));
    cv::Mat grain(frame, CV_16SC1);
    cv::randn(grain, 0, 12);
    cv::add(canvas, grain, canvas, cv::noArray(), CV_8U);

    // The page's corners turned in space and seen through a lens.
    const double tilt = uniform(random, 0, 30) * M_PI / 180;
    const double axis = uniform(random, 0, 2 * M_PI);
    const double turn = uniform(random, -8, 8) * M_PI / 180;
    cv::Mat r;
    cv::Rodrigues(cv::Vec3d(std::cos(axis) * tilt, std::sin(axis) * tilt, turn), r);
    const double w = page.cols, h = page.rows, distance = 1.5 * std::max(w, h);
    const std::vector<cv::Point2f> source{
        {0, 0}, {float(w), 0}, {float(w), float(h)}, {0, float(h)}};
    std::vector<cv::Point2f> seen;
    for (const cv::Point2f& p : source) {
        const cv::Mat q = r * cv::Mat(cv::Vec3d(p.x - w / 2, p.y - h / 2, 0));
        const double z = q.at<double>(2) + distance;
        seen.emplace_back(float(distance * q.at<double>(0) / z),
                          float(distance * q.at<double>(1) / z));
    }
    const cv::Rect2f box = cv::boundingRect(seen);
    const double fit =
        std::min(frame.width / box.width, frame.height / box.height) * uniform(random, 0.8, 0.95);
    const double left = uniform(random, 0, frame.width - box.width * fit);
    const double top = uniform(random, 0, frame.height - box.height * fit);
    for (cv::Point2f& p : seen)
        p = {float((p.x - box.x) * fit + left), float((p.y - box.y) * fit + top)};
    cv::warpPerspective(page, canvas, cv::getPerspectiveTransform(source, seen), frame,
                        cv::INTER_AREA, cv::BORDER_TRANSPARENT);

    // Light falling off across the frame, and a shadow with a soft edge.
    cv::Mat light(frame.height / 8, frame.width / 8, CV_32FC1);
    const double gx = uniform(random, -0.4, 0.4), gy = uniform(random, -0.4, 0.4);
    const double sa = uniform(random, 0, 2 * M_PI);
    const double sx = std::cos(sa), sy = std::sin(sa);
    const double edge = uniform(random, -0.3, 0.5), soft = uniform(random, 0.01, 0.05);
    const double shadow = chance(random, 0.6) ? uniform(random, 0.2, 0.45) : 0;
    for (int y = 0; y < light.rows; ++y)
        for (int x = 0; x < light.cols; ++x) {
            const double u = double(x) / light.cols - 0.5, v = double(y) / light.rows - 0.5;
            double level = 1 - std::max(0.0, gx * u) - std::max(0.0, gy * v) -
                           std::max(0.0, -gx * u) * 0.5 - std::max(0.0, -gy * v) * 0.5;
            level *= 1 - shadow / (1 + std::exp(-(u * sx + v * sy - edge) / soft));
            light.at<float>(y, x) = float(level);
        }
    cv::resize(light, light, frame, 0, 0, cv::INTER_LINEAR);
    cv::Mat lit;
    canvas.convertTo(lit, CV_32FC1);
    cv::multiply(lit, light, lit);
    lit.convertTo(canvas, CV_8UC1);

    cv::GaussianBlur(canvas, canvas, {}, uniform(random, 0.6, 1.6));
    cv::Mat noise(frame, CV_16SC1);
    cv::randn(noise, 0, uniform(random, 2, 5));
    cv::add(canvas, noise, canvas, cv::noArray(), CV_8U);
    return canvas;
}

QByteArray jpeg(const cv::Mat& image, int quality) {
    const QImage view(image.data, image.cols, image.rows, int(image.step),
                      QImage::Format_Grayscale8);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    view.save(&buffer, "JPEG", quality);
    return bytes;
}

} // namespace

struct FormCorpus::Printed {
    GeneratedTest test;
    std::vector<Form> forms;
};

FormCorpus::FormCorpus() : printed(std::make_unique<Printed>()) {
    GeneratedTest& test = printed->test;
    test.name = u"7. Sınıf Türkçe Deneme"_s;
    test.stem = u"deneme"_s;
    test.count = 40;
    test.optionCount = 5;
    test.identity = u"5d0e6f1a2b3c4d5e6f708192a3b4c5d6"_s;
    Random random(40);
    for (int q = 0; q < test.count; ++q)
        test.keys += QChar(u'A' + int(random() % 5));
    test.booklets = bookletOrders(test.identity, test.count, test.sections, 2);

    for (const int digits : {4, 7}) {
        const PrintedForms blank = printForms(test, {}, digits);
        printed->forms.push_back({rendered(blank.pdf).front(), blank.layout, {}});
    }
    const std::vector<FormPupil> pupils{{u"1203"_s, u"Ayşe Çığ Öztürk"_s},
                                        {u"57"_s, u"İlker Şahin"_s},
                                        {u"998877"_s, u"Gül Ünal"_s}};
    const PrintedForms own = printForms(test, pupils);
    const std::vector<cv::Mat> pages = rendered(own.pdf);
    for (std::size_t i = 0; i < pages.size(); ++i)
        printed->forms.push_back({pages[i], own.layout, pupils[i].number});
}

FormCorpus::~FormCorpus() = default;

const GeneratedTest& FormCorpus::test() const {
    return printed->test;
}

int FormCorpus::forms() const {
    return int(printed->forms.size());
}

SheetPlan FormCorpus::randomPlan(quint32 seed, Capture capture) const {
    Random random(seed);
    SheetPlan plan;
    plan.seed = seed;
    plan.capture = capture;
    const double which = uniform(random, 0, 1);
    plan.form = which < 0.5 ? 0 : which < 0.7 ? 1 : 2 + int(random() % unsigned(forms() - 2));
    const double turn = uniform(random, 0, 1);
    const double upright = capture == Capture::Scan ? 0.8 : 0.7;
    plan.turn = turn < upright ? 0 : int((turn - upright) / ((1 - upright) / 3)) * 90 + 90;
    plan.turn = std::min(plan.turn, 270);
    plan.pencil = uniform(random, 0.45, 0.9);
    const Form& form = printed->forms[std::size_t(plan.form)];
    if (!form.number.isEmpty()) {
        plan.number = form.number;
    } else {
        const int digits = plan.form == 0 ? 4 : 7;
        for (int d = 0; d < digits; ++d)
            plan.number += QChar(u'0' + int(random() % 10));
        plan.numberFaint = chance(random, 0.04);
    }
    plan.booklet = int(random() % 2);
    for (int q = 0; q < printed->test.count; ++q) {
        PlannedRow row;
        row.option = int(random() % 5);
        row.other = (row.option + 1 + int(random() % 4)) % 5;
        const double p = uniform(random, 0, 1);
        constexpr RowKind doubtful[] = {RowKind::Faint, RowKind::Erased, RowKind::Changed,
                                        RowKind::Two, RowKind::Crossed};
        row.kind = p < 0.06    ? RowKind::Blank
                   : p < 0.988 ? RowKind::Mark
                               : doubtful[int((p - 0.988) / 0.012 * 5) % 5];
        plan.rows.push_back(row);
    }
    return plan;
}

QByteArray FormCorpus::makeSheet(const SheetPlan& plan) const {
    Random random(plan.seed ^ 0x9e3779b9u);
    const Form& form = printed->forms[std::size_t(plan.form)];
    cv::Mat page = form.page.clone();
    for (std::size_t i = 0; i < plan.rows.size(); ++i) {
        const PlannedRow& row = plan.rows[i];
        const int q = int(i) + 1;
        const cv::Point2d at = answerBubble(form.layout, q, row.option);
        const cv::Point2d other = answerBubble(form.layout, q, row.other);
        switch (row.kind) {
        case RowKind::Blank:
            break;
        case RowKind::Mark:
            fill(page, at, plan, random);
            break;
        case RowKind::Faint:
            faintMark(page, at, plan, random);
            break;
        case RowKind::Erased:
            residue(page, at, random);
            break;
        case RowKind::Changed:
            residue(page, other, random);
            fill(page, at, plan, random);
            break;
        case RowKind::Two:
            fill(page, at, plan, random);
            fill(page, other, plan, random);
            break;
        case RowKind::Crossed:
            crossOut(page, other, plan.pencil, random);
            fill(page, at, plan, random);
            break;
        }
    }
    for (const FormBubble& b : form.layout.bubbles) {
        const bool numberMark = b.kind == FormBubble::Kind::Number &&
                                b.position <= plan.number.size() &&
                                plan.number[b.position - 1] == QChar(u'0' + b.digit);
        if (numberMark && plan.numberFaint && b.position == 2)
            faintMark(page, {b.x, b.y}, plan, random);
        else if (numberMark ||
                 (b.kind == FormBubble::Kind::Booklet && b.option == QChar(u'A' + plan.booklet)))
            fill(page, {b.x, b.y}, plan, random);
    }
    for (const FormBox& box : form.layout.boxes)
        if (box.kind == FormBox::Kind::Name)
            cv::putText(page, "Ayse Yilmaz", {int((box.x + 3) * kPx), int((box.y + 7.5) * kPx)},
                        cv::FONT_HERSHEY_SCRIPT_SIMPLEX, 2.2, 60, 4, cv::LINE_AA);

    if (plan.turn == 90)
        cv::rotate(page, page, cv::ROTATE_90_CLOCKWISE);
    else if (plan.turn == 180)
        cv::rotate(page, page, cv::ROTATE_180);
    else if (plan.turn == 270)
        cv::rotate(page, page, cv::ROTATE_90_COUNTERCLOCKWISE);
    if (plan.capture == Capture::Scan)
        return jpeg(scanned(page, random), int(uniform(random, 55, 90)));
    return jpeg(photographed(page, random), int(uniform(random, 70, 90)));
}

QJsonObject FormCorpus::truth(const SheetPlan& plan) const {
    QString answers;
    QJsonArray doubtful;
    for (std::size_t i = 0; i < plan.rows.size(); ++i) {
        const PlannedRow& row = plan.rows[i];
        const QChar letter(u'A' + row.option);
        switch (row.kind) {
        case RowKind::Blank:
        case RowKind::Erased:
            answers += u'.';
            break;
        case RowKind::Two:
            answers += u'?';
            break;
        default:
            answers += letter;
        }
        if (row.kind != RowKind::Blank && row.kind != RowKind::Mark)
            doubtful.append(int(i) + 1);
    }
    return {{u"capture"_s, plan.capture == Capture::Scan ? u"scan"_s : u"photo"_s},
            {u"turn"_s, plan.turn},
            {u"seed"_s, qint64(plan.seed)},
            {u"number"_s, plan.number},
            {u"numberDoubtful"_s, plan.numberFaint},
            {u"booklet"_s, QString(QChar(u'A' + plan.booklet))},
            {u"answers"_s, answers},
            {u"doubtful"_s, doubtful}};
}
