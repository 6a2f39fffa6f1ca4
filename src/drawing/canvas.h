// The 2-D operations that elements draw with; the editor's widget and the export's image
// both provide them.
#pragma once

#include <QFont>
#include <QImage>
#include <string>

#include "drawing/geometry.h"

class CDrawObj;

// How DrawTextInRect places a text.
struct TextPlacement {
    int horizontal = 1;  // 0 left, 1 centered, 2 right
    int vertical = 1;    // 0 top (several lines), 1 middle, 2 bottom (one line)
};

class CCanvas {
  public:
    virtual ~CCanvas() = default;

    // Saves and restores colours, font, pen and clipping.
    virtual void SaveState() = 0;
    virtual void RestoreState() = 0;

    virtual void FillRect(const CRect& rect, Colour colour) = 0;

    // Takes the rectangle out of what may be painted until RestoreState.
    virtual void ExcludeClip(const CRect& rect) = 0;

    // A solid line between the two points, both included; width 0 paints one pixel wide.
    virtual void DrawLine(int x1, int y1, int x2, int y2, Colour colour, int width) = 0;

    virtual void SelectFont(const QFont& font) = 0;
    virtual void SetTextForeground(Colour colour) = 0;
    // kNoColour draws the text over what is there.
    virtual void SetTextBackground(Colour colour) = 0;

    // The text clipped to the rectangle; '&' underlines the next character, "&&" is one '&';
    // tabs are not expanded.
    virtual void DrawTextInRect(const std::string& text, const CRect& rect,
                                TextPlacement placement) = 0;

    // What DrawTextInRect would cover with the selected font, laid out the same way; it may
    // reach past rect, where the drawing clips the text.
    virtual CRect TextBounds(const std::string& text, const CRect& rect,
                             TextPlacement placement) = 0;

    // Told before each element of a drawing draws, so a canvas can learn who drew what.
    virtual void BeginElement(const CDrawObj&) {}

    // The picture at its own size, blended by its alpha channel where it has one.
    virtual void DrawPictureAt(const QImage& picture, int x, int y) = 0;
};
