#include "export/image_file.h"

#include <QPainter>
#include <stdexcept>

#include "drawing/painter_canvas.h"
#include "export/image_codecs.h"
#include "export/live_pictures.h"

namespace {

void checkSize(const CDrawing& drawing) {
    int width = drawing.GetWidth();
    int height = drawing.GetHeight();
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) {
        throw std::runtime_error("The image has no valid size (" + std::to_string(width) + " x " +
                                 std::to_string(height) + ")");
    }
}

}  // namespace

QImage RenderOnImage(CDrawing& drawing, const std::function<void(CCanvas&)>& draw) {
    checkSize(drawing);
    QImage image(drawing.GetWidth(), drawing.GetHeight(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    CPainterCanvas canvas(painter, image.width(), image.height());
    draw(canvas);
    painter.end();
    return image;
}

QImage RenderDrawing(CDrawing& drawing, const StopCheck& stop) {
    // Before the fetch: a drawing of no valid size costs no camera picture.
    checkSize(drawing);
    // Fetched before the image is made: a camera that fails costs no memory for nothing.
    CLiveSnapshots live = FetchLivePictures(drawing, stop);
    return RenderOnImage(drawing, [&](CCanvas& canvas) { drawing.Draw(canvas, 0, &live); });
}

CImageBuffer RenderImage(CDrawing& drawing, const StopCheck& stop) {
    QImage image = RenderDrawing(drawing, stop);
    return drawing.GetImageFormat() == kJpegFormat ? EncodeJpeg(image, 100) : EncodePng(image);
}
