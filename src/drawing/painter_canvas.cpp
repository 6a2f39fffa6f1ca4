#include "drawing/painter_canvas.h"

namespace {

QRect toQRect(const CRect& rect) {
    return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}

}  // namespace

QColor toQColor(Colour colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

Colour fromQColor(const QColor& colour) {
    return static_cast<Colour>(colour.red()) | static_cast<Colour>(colour.green()) << 8 |
           static_cast<Colour>(colour.blue()) << 16;
}

CPainterCanvas::CPainterCanvas(QPainter& painter, int width, int height)
    : m_painter(painter), m_device(0, 0, width, height) {}

void CPainterCanvas::SaveState() {
    m_painter.save();
}

void CPainterCanvas::RestoreState() {
    m_painter.restore();
}

void CPainterCanvas::FillRect(const CRect& rect, Colour colour) {
    m_painter.fillRect(toQRect(rect.Normalized()), toQColor(colour));
}

void CPainterCanvas::ExcludeClip(const CRect& rect) {
    QRegion clip = m_painter.hasClipping() ? m_painter.clipRegion() : QRegion(m_device);
    m_painter.setClipRegion(clip.subtracted(QRegion(toQRect(rect.Normalized()))));
}

void CPainterCanvas::DrawLine(int x1, int y1, int x2, int y2, Colour colour, int width) {
    m_painter.save();
    // One-pixel lines stay crisp; wider ones look better smoothed.
    m_painter.setRenderHint(QPainter::Antialiasing, width > 1);
    QPen pen(toQColor(colour));
    pen.setWidth(std::max(width, 1));
    pen.setCapStyle(width > 1 ? Qt::RoundCap : Qt::SquareCap);
    m_painter.setPen(pen);
    if (x1 == x2 && y1 == y2) {
        m_painter.drawPoint(x1, y1);
    } else {
        m_painter.drawLine(x1, y1, x2, y2);
    }
    m_painter.restore();
}

void CPainterCanvas::SelectFont(const QFont& font) {
    m_painter.setFont(font);
}

void CPainterCanvas::SetTextForeground(Colour colour) {
    m_painter.setPen(toQColor(colour));
}

void CPainterCanvas::SetTextBackground(Colour colour) {
    if (colour == kNoColour) {
        m_painter.setBackgroundMode(Qt::TransparentMode);
    } else {
        m_painter.setBackgroundMode(Qt::OpaqueMode);
        m_painter.setBackground(toQColor(colour));
    }
}

namespace {

int textFlags(TextPlacement placement) {
    static const int horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    int flags = Qt::TextShowMnemonic;
    flags |= placement.horizontal >= 0 && placement.horizontal <= 2
                 ? horizontal[placement.horizontal]
                 : Qt::AlignLeft;
    if (placement.vertical == 1) {
        flags |= Qt::AlignVCenter | Qt::TextSingleLine;
    } else if (placement.vertical == 2) {
        flags |= Qt::AlignBottom | Qt::TextSingleLine;
    } else {
        flags |= Qt::AlignTop;
    }
    return flags;
}

}  // namespace

void CPainterCanvas::DrawTextInRect(const std::string& text, const CRect& rect,
                                    TextPlacement placement) {
    QRect area = toQRect(rect);
    if (area.isEmpty()) {
        return;
    }
    m_painter.save();
    m_painter.setClipRect(area, m_painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    m_painter.drawText(area, textFlags(placement), QString::fromStdString(text));
    m_painter.restore();
}

CRect CPainterCanvas::TextBounds(const std::string& text, const CRect& rect,
                                 TextPlacement placement) {
    QString shown = QString::fromStdString(text);
    QRect box = m_painter.boundingRect(toQRect(rect), textFlags(placement), shown);
    CRect bounds{box.left(), box.top(), box.left() + box.width(), box.top() + box.height()};
    // Vertically only the glyphs count: the room the font keeps above and below its letters may
    // be clipped without anyone seeing it.
    QFontMetrics metrics(m_painter.font(), m_painter.device());
    QRect ink = metrics.tightBoundingRect(shown.remove('&').replace('\n', ' '));
    if (!ink.isEmpty()) {
        bounds.top += metrics.ascent() + ink.top();
        bounds.bottom -= metrics.descent() - (ink.top() + ink.height());
    }
    return bounds;
}

void CPainterCanvas::DrawPictureAt(const QImage& picture, int x, int y) {
    m_painter.drawImage(x, y, picture);
}
