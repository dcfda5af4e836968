#include "forms/FormFinder.h"

#include <opencv2/aruco.hpp>
#include <opencv2/calib3d.hpp>
#include <opencv2/imgproc.hpp>

#include <zbar.h>

#include <map>

namespace {

// Markers are looked for on a copy of about this many pixels on its long
// side: a 15 mm marker is still 60 pixels wide there, and the search is a
// fraction of what it is at 300 dpi.
constexpr double kSearchSide = 1200;
// Farther than this from the marker corners' best fit (in marker sides), the
// markers are not one flat form's.
constexpr double kMaxFitError = 0.08;
// The QR code is straightened finer than the bubbles: its modules are under a millimetre.
constexpr double kQrPixelsPerMm = 10;
constexpr double kQrQuietZone = 3;

} // namespace

std::optional<FoundForm> findForm(const cv::Mat& grey, const FormLayout& layout) {
    const double scale = std::min(1.0, kSearchSide / std::max(grey.cols, grey.rows));
    cv::Mat small;
    if (scale < 1)
        cv::resize(grey, small, {}, scale, scale, cv::INTER_AREA);
    else
        small = grey;

    static const cv::Ptr<cv::aruco::Dictionary> dictionary =
        cv::aruco::getPredefinedDictionary(cv::aruco::DICT_4X4_50);
    cv::Ptr<cv::aruco::DetectorParameters> parameters = cv::aruco::DetectorParameters::create();
    parameters->cornerRefinementMethod = cv::aruco::CORNER_REFINE_SUBPIX;
    std::vector<std::vector<cv::Point2f>> corners;
    std::vector<int> ids;
    cv::aruco::detectMarkers(small, dictionary, corners, ids, parameters);

    // Each corner marker once, the largest where a page shows more than one.
    std::map<int, std::size_t> found;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (ids[i] < 0 || ids[i] >= int(layout.markers.size()))
            continue;
        const auto it = found.find(ids[i]);
        if (it == found.end() || cv::contourArea(corners[i]) > cv::contourArea(corners[it->second]))
            found[ids[i]] = i;
    }
    if (found.size() < 3)
        return std::nullopt;

    // Every corner of every marker found, as drawn upright on the layout.
    std::vector<cv::Point2d> mm, pixels;
    double side = 0;
    for (const auto& [id, index] : found) {
        const FormMarker& m = layout.markers[std::size_t(id)];
        const cv::Point2d drawn[4] = {
            {m.x, m.y}, {m.x + m.size, m.y}, {m.x + m.size, m.y + m.size}, {m.x, m.y + m.size}};
        for (int k = 0; k < 4; ++k) {
            mm.push_back(drawn[k]);
            pixels.emplace_back(corners[index][std::size_t(k)].x / scale,
                                corners[index][std::size_t(k)].y / scale);
        }
        side += std::sqrt(cv::contourArea(corners[index])) / scale;
    }
    side /= double(found.size());
    const cv::Mat h = cv::findHomography(mm, pixels, 0);
    if (h.empty())
        return std::nullopt;
    FoundForm form{cv::Matx33d(h)};
    std::vector<cv::Point2d> fitted;
    cv::perspectiveTransform(mm, fitted, h);
    double worst = 0;
    for (std::size_t i = 0; i < mm.size(); ++i)
        worst = std::max(worst, cv::norm(fitted[i] - pixels[i]));
    if (worst > kMaxFitError * side)
        return std::nullopt;
    return form;
}

cv::Mat straighten(const cv::Mat& grey, const FoundForm& form, const cv::Rect2d& mm,
                   double pixelsPerMm) {
    const cv::Matx33d toMm(1 / pixelsPerMm, 0, mm.x, 0, 1 / pixelsPerMm, mm.y, 0, 0, 1);
    cv::Mat out;
    cv::warpPerspective(grey, out, cv::Mat(form.mmToImage * toMm),
                        cv::Size(int(mm.width * pixelsPerMm), int(mm.height * pixelsPerMm)),
                        cv::INTER_LINEAR | cv::WARP_INVERSE_MAP, cv::BORDER_REPLICATE);
    return out;
}

namespace {

std::optional<QString> decodeQr(const cv::Mat& image) {
    zbar::ImageScanner scanner;
    scanner.set_config(zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, 0);
    scanner.set_config(zbar::ZBAR_QRCODE, zbar::ZBAR_CFG_ENABLE, 1);
    cv::Mat continuous = image.isContinuous() ? image : image.clone();
    zbar::Image zimage(unsigned(continuous.cols), unsigned(continuous.rows), "Y800",
                       continuous.data, unsigned(continuous.total()));
    if (scanner.scan(zimage) <= 0)
        return std::nullopt;
    for (auto symbol = zimage.symbol_begin(); symbol != zimage.symbol_end(); ++symbol) {
        const std::string data = symbol->get_data();
        return QString::fromUtf8(data.data(), qsizetype(data.size()));
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> readFormQr(const cv::Mat& grey, const FoundForm& form,
                                  const FormSquare& qr) {
    const cv::Mat square = straighten(grey, form,
                                      {qr.x - kQrQuietZone, qr.y - kQrQuietZone,
                                       qr.size + 2 * kQrQuietZone, qr.size + 2 * kQrQuietZone},
                                      kQrPixelsPerMm);
    if (auto text = decodeQr(square))
        return text;
    // Uneven light or a grey print: once more in black and white.
    cv::Mat binary;
    cv::threshold(square, binary, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
    return decodeQr(binary);
}
