#include "gui/canvas/rect_tracker.h"

CRectTracker::CRectTracker(const CRect& rect, unsigned style, bool snap, const CDrawing* drawing,
                           const CDrawObj* element)
    : m_rect(rect), m_style(style), m_snap(snap), m_drawing(drawing), m_element(element) {}

CRect CRectTracker::Track(int handle, const CRect& start, int dx, int dy, int snapOffset) const {
    CRect rect = DraggedRect(start, handle, dx, dy);
    if (m_snap && m_drawing != nullptr) {
        rect = SnapRect(handle, rect, snapOffset, *m_drawing, m_element);
    }
    return m_ratio > 0 ? AdjustRect(handle, rect, m_ratio) : rect;
}
