// The canvas over a QPainter: an exported image or the editor's widget.
#pragma once

#include <QPainter>

#include "drawing/canvas.h"

// The Qt colour of a 0x00BBGGRR value.
QColor toQColor(Colour colour);
// The 0x00BBGGRR value of a Qt colour (its alpha is dropped).
Colour fromQColor(const QColor& colour);

class CPainterCanvas : public CCanvas {
  public:
    // Paints through painter, whose device is width × height pixels.
    CPainterCanvas(QPainter& painter, int width, int height);

    void SaveState() override;
    void RestoreState() override;
    void FillRect(const CRect& rect, Colour colour) override;
    void ExcludeClip(const CRect& rect) override;
    void DrawLine(int x1, int y1, int x2, int y2, Colour colour, int width) override;
    void SelectFont(const QFont& font) override;
    void SetTextForeground(Colour colour) override;
    void SetTextBackground(Colour colour) override;
    void DrawTextInRect(const std::string& text, const CRect& rect,
                        TextPlacement placement) override;
    CRect TextBounds(const std::string& text, const CRect& rect, TextPlacement placement) override;
    void DrawPictureAt(const QImage& picture, int x, int y) override;

  private:
    QPainter& m_painter;
    QRect m_device;
};
