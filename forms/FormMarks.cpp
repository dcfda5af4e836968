#include "forms/FormMarks.h"

#include "core/AppError.h"

#include <opencv2/aruco.hpp>
#include <opencv2/core.hpp>

#include <qrencode.h>

#include <memory>

CellGrid cornerMarker(int id) {
    const cv::Ptr<cv::aruco::Dictionary> dictionary =
        cv::aruco::getPredefinedDictionary(cv::aruco::DICT_4X4_50);
    constexpr int cells = 4 + 2; // the code's bits and the black border around them
    cv::Mat image;
    // One pixel per cell: the image is the grid itself.
    cv::aruco::drawMarker(dictionary, id, cells, image, 1);
    CellGrid grid;
    grid.size = cells;
    grid.dark.resize(std::size_t(cells * cells));
    for (int r = 0; r < cells; ++r)
        for (int c = 0; c < cells; ++c)
            grid.dark[std::size_t(r * cells + c)] = image.at<unsigned char>(r, c) < 128;
    return grid;
}

CellGrid qrCode(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    const std::unique_ptr<QRcode, void (*)(QRcode*)> code(
        QRcode_encodeString8bit(bytes.constData(), 0, QR_ECLEVEL_M), QRcode_free);
    if (!code)
        throw AppError(QStringLiteral(u"Optik formun karekodu oluşturulamadı."));
    CellGrid grid;
    grid.size = code->width;
    grid.dark.resize(std::size_t(code->width * code->width));
    for (std::size_t i = 0; i < grid.dark.size(); ++i)
        grid.dark[i] = (code->data[i] & 1) != 0;
    return grid;
}
