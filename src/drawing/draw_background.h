// The background of an image: a filled, never transparent rectangle of the image's size.
#pragma once

#include "drawing/draw_obj.h"

class CDrawBackground : public CDrawObj {
  public:
    CDrawBackground() { m_bkcolor = kWhite; }

    // "No colour" becomes white: the background is never transparent.
    void SetBkColor(Colour colour) override { m_bkcolor = colour == kNoColour ? kWhite : colour; }
    void Draw(CCanvas& canvas, int) override { DrawFrame(canvas); }
    const char* Tag() const override { return "background"; }
};
