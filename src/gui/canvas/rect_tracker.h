// The tracker of the selected element: its rectangle, which handles it shows, how a drag by a
// handle snaps and keeps a picture's ratio. A line's tracker has only its two end points.
#pragma once

#include "drawing/geometry.h"
#include "gui/canvas/tracker_geometry.h"

class CDrawing;
class CDrawObj;

class CRectTracker {
  public:
    // Style bits: resize handles outside the rectangle, a dotted outline.
    enum Style : unsigned { kResizeOutside = 16, kDottedLine = 2 };

    CRectTracker(const CRect& rect, unsigned style, bool snap, const CDrawing* drawing,
                 const CDrawObj* element);
    virtual ~CRectTracker() = default;

    // The handles shown, one bit per handle number.
    virtual unsigned GetHandleMask() const { return RectHandleMask(m_rect, GetHandleSize()); }
    int GetHandleSize() const { return m_handleSize; }
    // The handle size in image pixels, so that a zoomed canvas keeps handles of one size.
    void SetHandleSize(int size) { m_handleSize = size; }
    // The handle at the point, kInside inside, kNoHandle elsewhere.
    virtual int HitTest(int x, int y) const {
        return HandleAt(m_rect, GetHandleMask(), x, y, m_handleSize);
    }

    // Keeps width and height at ratio while resizing (pictures); 0 keeps nothing.
    void SetKeepAspect(double ratio) { m_ratio = ratio; }
    // The rectangle of a drag by handle from start, snapped and kept at the ratio.
    CRect Track(int handle, const CRect& start, int dx, int dy, int snapOffset) const;

    const CRect& Rect() const { return m_rect; }
    void SetRect(const CRect& rect) { m_rect = rect; }
    bool IsDotted() const { return (m_style & kDottedLine) != 0; }

  private:
    CRect m_rect;
    unsigned m_style;
    bool m_snap;
    const CDrawing* m_drawing;
    const CDrawObj* m_element;
    double m_ratio = 0;
    int m_handleSize = kHandleSize;
};

class CLineTracker : public CRectTracker {
  public:
    using CRectTracker::CRectTracker;
    unsigned GetHandleMask() const override { return LineHandleMask(Rect()); }
    // kTopLeft for the start, kBottomRight for the end, wherever they lie.
    int HitTest(int x, int y) const override { return LineHandleAt(Rect(), x, y, GetHandleSize()); }
};
