// A canvas that passes every operation on to the export's canvas and notes, per element, what
// was drawn: its texts against their rectangles and the areas it paints over completely.
#pragma once

#include <map>
#include <vector>

#include "drawing/canvas.h"

struct ProbedText {
    std::string text;
    CRect rect;    // where the text had to fit
    CRect bounds;  // what it covered, clipping aside
};

struct ProbedElement {
    bool drawn = false;
    std::vector<ProbedText> texts;
    std::vector<CRect> covers;  // painted opaque over their whole area
};

class CLayoutProbe : public CCanvas {
  public:
    // Notes the elements of order (a drawing's elements, by address) drawing on inner.
    CLayoutProbe(CCanvas& inner, const std::vector<const CDrawObj*>& order);

    // What each element of the order drew, by its place.
    const std::vector<ProbedElement>& Elements() const { return m_elements; }

    void BeginElement(const CDrawObj& element) override;
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
    ProbedElement* Current();

    CCanvas& m_inner;
    std::map<const CDrawObj*, size_t> m_places;
    std::vector<ProbedElement> m_elements;
    size_t m_current = 0;
    // Whether a clip excludes part of what is filled, per saved state; a border is filled so.
    std::vector<bool> m_clipped{false};
};
