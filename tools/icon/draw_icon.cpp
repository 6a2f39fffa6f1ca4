// Draws the program icon into res/icons/: skyvane.svg and the PNG sizes of the icon theme,
// all from one list of shapes. Run it by hand after changing the drawing:
//   draw_icon <source>/res/icons
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// A circle or a rounded rectangle on a 256 x 256 canvas.
struct Shape {
    bool circle;
    double x, y, width, height, radius;
    const char* colour;
};

const std::vector<Shape> kShapes = {
    {false, 8, 8, 240, 240, 48, "#2f6fbf"},    // the sky
    {true, 56, 48, 112, 112, 0, "#ffcc33"},    // the sun
    {true, 100, 118, 84, 84, 0, "#ffffff"},    // the cloud's top
    {true, 60, 146, 64, 64, 0, "#ffffff"},     // its left puff
    {true, 150, 142, 70, 70, 0, "#ffffff"},    // its right puff
    {false, 60, 170, 160, 42, 21, "#ffffff"},  // its base
    {false, 40, 220, 176, 12, 6, "#9fc3ef"},   // a vane line under it
};

std::string svg() {
    std::string text =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
        "viewBox=\"0 0 256 256\">\n";
    for (const Shape& shape : kShapes) {
        char line[256];
        if (shape.circle) {
            std::snprintf(line, sizeof line,
                          "  <circle cx=\"%g\" cy=\"%g\" r=\"%g\" fill=\"%s\"/>\n",
                          shape.x + shape.width / 2, shape.y + shape.height / 2, shape.width / 2,
                          shape.colour);
        } else {
            std::snprintf(line, sizeof line,
                          "  <rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" rx=\"%g\" "
                          "fill=\"%s\"/>\n",
                          shape.x, shape.y, shape.width, shape.height, shape.radius, shape.colour);
        }
        text += line;
    }
    return text + "</svg>\n";
}

QImage png(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 256.0, size / 256.0);
    painter.setPen(Qt::NoPen);
    for (const Shape& shape : kShapes) {
        painter.setBrush(QColor(shape.colour));
        QRectF rect(shape.x, shape.y, shape.width, shape.height);
        if (shape.circle) {
            painter.drawEllipse(rect);
        } else {
            painter.drawRoundedRect(rect, shape.radius, shape.radius);
        }
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_icon FOLDER\n");
        return 2;
    }
    std::string folder = argv[1];
    std::ofstream(folder + "/skyvane.svg") << svg();
    bool ok = true;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        ok = png(size).save(
                 QString::fromStdString(folder + "/skyvane-" + std::to_string(size) + ".png")) &&
             ok;
    }
    return ok ? 0 : 1;
}
