#include "forms/FormMarksReading.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace {

// The printed ring (radius 2 mm, 0.3 mm wide) begins 1.85 mm from the centre:
// the disc measured keeps 0.45 mm from it, so that a page straightened a
// little off does not count the ring as a mark.
constexpr double kDiscRadius = 1.4;
constexpr double kAroundInner = 2.45, kAroundOuter = 2.85;
// The paper's level: the lightest the page is within about 7 mm, which is
// wider than a filled bubble or a printed letter.
constexpr int kPaperShrink = 8;
constexpr int kPaperWindow = 5;

std::vector<cv::Point> offsetsBetween(double innerMm, double outerMm, double pixelsPerMm) {
    std::vector<cv::Point> offsets;
    const int reach = int(std::ceil(outerMm * pixelsPerMm));
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
            const double d = std::hypot(dx, dy) / pixelsPerMm;
            if (d >= innerMm && d <= outerMm)
                offsets.emplace_back(dx, dy);
        }
    return offsets;
}

double quantile(std::vector<double> values, double q) {
    if (values.empty())
        return 0;
    const auto at = values.begin() + std::ptrdiff_t(q * double(values.size() - 1));
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

} // namespace

BubbleMeter::BubbleMeter(const cv::Mat& straight, double pixelsPerMm)
    : page(straight), scale(pixelsPerMm), disc(offsetsBetween(0, kDiscRadius, pixelsPerMm)),
      annulus(offsetsBetween(kAroundInner, kAroundOuter, pixelsPerMm)) {
    cv::Mat small;
    cv::resize(page, small, {}, 1.0 / kPaperShrink, 1.0 / kPaperShrink, cv::INTER_AREA);
    cv::dilate(small, small,
               cv::getStructuringElement(cv::MORPH_RECT, {kPaperWindow, kPaperWindow}));
    cv::blur(small, paperLevels, {3, 3});
}

double BubbleMeter::paper(double xMm, double yMm) const {
    const double x = std::clamp(xMm * scale / kPaperShrink, 0.0, paperLevels.cols - 1.0);
    const double y = std::clamp(yMm * scale / kPaperShrink, 0.0, paperLevels.rows - 1.0);
    return std::max(1.0, double(paperLevels.at<uchar>(int(y), int(x))));
}

double BubbleMeter::meanOver(const std::vector<cv::Point>& offsets, double xMm, double yMm) const {
    const int cx = int(std::lround(xMm * scale)), cy = int(std::lround(yMm * scale));
    double sum = 0;
    int count = 0;
    for (const cv::Point& o : offsets) {
        const int x = cx + o.x, y = cy + o.y;
        if (x < 0 || y < 0 || x >= page.cols || y >= page.rows)
            continue;
        sum += page.at<uchar>(y, x);
        ++count;
    }
    if (count == 0)
        return 0;
    return std::max(0.0, 1 - sum / count / paper(xMm, yMm));
}

double BubbleMeter::inside(double xMm, double yMm) const {
    return meanOver(disc, xMm, yMm);
}

double BubbleMeter::around(double xMm, double yMm) const {
    return meanOver(annulus, xMm, yMm);
}

double BubbleMeter::ring(double xMm, double yMm, double rMm) const {
    constexpr int kSamples = 36;
    const double level = paper(xMm, yMm);
    double sum = 0;
    for (int i = 0; i < kSamples; ++i) {
        const double a = 2 * M_PI * i / kSamples;
        const int x = int(std::lround((xMm + rMm * std::cos(a)) * scale));
        const int y = int(std::lround((yMm + rMm * std::sin(a)) * scale));
        int darkest = 255;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (x + dx >= 0 && y + dy >= 0 && x + dx < page.cols && y + dy < page.rows)
                    darkest = std::min<int>(darkest, page.at<uchar>(y + dy, x + dx));
        sum += std::max(0.0, 1 - darkest / level);
    }
    return sum / kSamples;
}

MarkLevels markLevels(const std::vector<std::vector<Bubble>>& rows) {
    std::vector<double> all, maxima;
    for (const auto& row : rows)
        for (const Bubble& b : row)
            all.push_back(b.inside);
    MarkLevels levels;
    // Most bubbles of a page are empty: the lower part of them is the blank level.
    levels.blank = quantile(all, 0.2);
    for (const auto& row : rows) {
        double top = 0;
        for (const Bubble& b : row)
            top = std::max(top, b.inside - levels.blank);
        if (top > 0.25)
            maxima.push_back(top);
    }
    if (!maxima.empty())
        levels.mark = quantile(maxima, 0.5);
    return levels;
}

RowReading decideRow(const std::vector<Bubble>& row, const MarkLevels& levels) {
    // A clear mark is at least half as dark as the page's usual mark; below
    // a quarter of it, a bubble is empty; between the two, doubtful.
    const double clear = std::clamp(0.5 * levels.mark, 0.2, 0.4);
    const double faint = std::clamp(0.22 * levels.mark, 0.09, 0.18);
    int clearCount = 0, doubtful = -1;
    RowReading reading;
    for (std::size_t i = 0; i < row.size(); ++i) {
        const double darkness = row[i].inside - levels.blank;
        if (darkness >= clear) {
            ++clearCount;
            reading.marked = int(i);
        } else if (darkness >= faint &&
                   (doubtful < 0 || darkness > row[std::size_t(doubtful)].inside - levels.blank)) {
            doubtful = int(i);
        }
    }
    if (clearCount > 1) {
        reading.marked = -1;
        reading.reason = QStringLiteral(u"İki işaret");
    } else if (doubtful >= 0) {
        reading.marked = -1;
        // An eraser leaves its grey beyond the ring; a light pencil stays inside.
        const Bubble& b = row[std::size_t(doubtful)];
        const bool smudge = b.around >= 0.3 * (b.inside - levels.blank);
        reading.reason =
            smudge ? QStringLiteral(u"Silinmiş işaret") : QStringLiteral(u"Silik işaret");
    }
    return reading;
}
