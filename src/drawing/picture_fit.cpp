#include "drawing/picture_fit.h"

#include <algorithm>

PicturePlacement PlacePicture(QSize picture, QSize area, PictureFit fit) {
    if (picture.isEmpty() || area.isEmpty()) {
        return {};
    }
    QRect whole(QPoint(0, 0), picture);
    QRect all(QPoint(0, 0), area);
    if (fit == PictureFit::Stretch) {
        return {whole, all};
    }
    // 64-bit products: 4096 × 4096 areas and large camera pictures overflow 32 bits.
    qint64 pictureWide = qint64(picture.width()) * area.height();
    qint64 areaWide = qint64(area.width()) * picture.height();
    if (fit == PictureFit::Fit) {
        QSize size =
            pictureWide >= areaWide
                ? QSize(area.width(), std::max<int>(1, int(qint64(picture.height()) * area.width() /
                                                           picture.width())))
                : QSize(std::max<int>(
                            1, int(qint64(picture.width()) * area.height() / picture.height())),
                        area.height());
        QPoint at((area.width() - size.width()) / 2, (area.height() - size.height()) / 2);
        return {whole, QRect(at, size)};
    }
    QSize kept =
        pictureWide >= areaWide
            ? QSize(std::max<int>(1, int(qint64(area.width()) * picture.height() / area.height())),
                    picture.height())
            : QSize(picture.width(),
                    std::max<int>(1, int(qint64(area.height()) * picture.width() / area.width())));
    QPoint from((picture.width() - kept.width()) / 2, (picture.height() - kept.height()) / 2);
    return {QRect(from, kept), all};
}

const char* PictureFitName(PictureFit fit) {
    switch (fit) {
        case PictureFit::Fit:
            return "fit";
        case PictureFit::Fill:
            return "fill";
        default:
            return "stretch";
    }
}

PictureFit PictureFitFromName(const std::string& name) {
    if (name == "fit") {
        return PictureFit::Fit;
    }
    return name == "fill" ? PictureFit::Fill : PictureFit::Stretch;
}
