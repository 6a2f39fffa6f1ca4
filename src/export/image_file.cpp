#include "export/image_file.h"

#include <QPainter>
#include <stdexcept>

#include "drawing/painter_canvas.h"
#include "export/image_codecs.h"

QImage RenderDrawing(CDrawing& drawing, const std::function<void(CCanvas&)>& draw) {
    int width = drawing.GetWidth();
    int height = drawing.GetHeight();
    if (width <= 0 || height <= 0 || width > 10000 || height > 10000) {
        throw std::runtime_error("The image has no valid size (" + std::to_string(width) + " x " +
                                 std::to_string(height) + ")");
    }
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    CPainterCanvas canvas(painter, width, height);
    if (draw) {
        draw(canvas);
    } else {
        drawing.Draw(canvas, 0);
    }
    painter.end();
    return image;
}

CImageBuffer RenderImage(CDrawing& drawing) {
    QImage image = RenderDrawing(drawing);
    return drawing.GetImageFormat() == kJpegFormat ? EncodeJpeg(image, 100) : EncodePng(image);
}
