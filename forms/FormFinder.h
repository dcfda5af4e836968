#pragma once

#include "forms/FormLayout.h"

#include <QString>

#include <opencv2/core.hpp>

#include <optional>

// Where a form lies on a page image: its four corner markers found (at any
// turn of the page, three are enough), the perspective from the layout's
// millimetres to the image's pixels, and the QR code read from the
// straightened code square. No widget.

struct FoundForm {
    cv::Matx33d mmToImage; // layout millimetres → page image pixels
};

// The form on a grey page image, or nothing when its markers are not there.
std::optional<FoundForm> findForm(const cv::Mat& grey, const FormLayout& layout);

// The part `mm` of the page straightened to `pixelsPerMm` (its top-left at 0,0).
cv::Mat straighten(const cv::Mat& grey, const FoundForm& form, const cv::Rect2d& mm,
                   double pixelsPerMm);

// The text of the form's QR code, or nothing when it does not decode.
std::optional<QString> readFormQr(const cv::Mat& grey, const FoundForm& form, const FormSquare& qr);
