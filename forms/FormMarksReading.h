#pragma once

#include "forms/FormLayout.h"

#include <QString>

#include <opencv2/core.hpp>

#include <vector>

// How dark the inside of each bubble is on a straightened page, and which
// bubble of a row is marked. Darkness is measured against the paper around
// the bubble (so uneven light and shadows do not count), and a row is decided
// by its own bubbles against the page's own marks (so a soft pencil and a
// dark scanner are read alike). No widget.

// A straightened page: the layout's millimetres times `pixelsPerMm`.
class BubbleMeter {
public:
    BubbleMeter(const cv::Mat& straight, double pixelsPerMm);
    // Mean darkness inside a disc a little smaller than the printed ring:
    // 0 is the paper, 1 black.
    double inside(double xMm, double yMm) const;
    // Mean darkness just outside the ring, where an eraser's smudge spreads.
    double around(double xMm, double yMm) const;
    // Darkness along the printed ring itself: is a bubble printed there?
    double ring(double xMm, double yMm, double rMm) const;

private:
    double paper(double xMm, double yMm) const;
    double meanOver(const std::vector<cv::Point>& offsets, double xMm, double yMm) const;
    cv::Mat page, paperLevels;
    double scale;
    std::vector<cv::Point> disc, annulus;
};

struct Bubble {
    double inside = 0, around = 0;
};

// What one row's darkest bubbles say, from the page's levels.
struct RowReading {
    int marked = -1; // the one clear mark's index; -1: none or flagged
    QString reason;  // not empty: flagged (Turkish)
};

// The darkness levels of one page: a blank bubble's and a mark's.
struct MarkLevels {
    double blank = 0;
    double mark = 0.6;
};
MarkLevels markLevels(const std::vector<std::vector<Bubble>>& rows);
RowReading decideRow(const std::vector<Bubble>& row, const MarkLevels& levels);
