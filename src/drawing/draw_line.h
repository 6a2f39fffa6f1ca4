// A straight line between the two corners of its rectangle, in bkcolor, borderwidth wide.
#pragma once

#include "drawing/draw_obj.h"

class CDrawLine : public CDrawElement {
  public:
    CDrawLine() {
        m_bkcolor = kBlack;
        m_borderwidth = 1;
    }

    void Draw(CCanvas& canvas, int) override {
        canvas.DrawLine(m_rect.left, m_rect.top, m_rect.right, m_rect.bottom, m_bkcolor,
                        m_borderwidth);
    }
    const char* Tag() const override { return "line"; }
};
