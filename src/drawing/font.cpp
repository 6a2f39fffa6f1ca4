#include "drawing/font.h"

QFont CreateFontFromDescription(const std::string& name, int pointSize, bool bold, bool italic,
                                bool underline) {
    QFont font;
    font.setFamily(QString::fromStdString(name).left(31));
    // Integer division as the layout always had it: 12 points give 16 pixels, 10 give 13.
    int pixels =
        static_cast<int>(static_cast<long long>(kLogicalPixelsPerInch) * pointSize * 10 / 720);
    font.setPixelSize(std::max(pixels, 1));
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}
