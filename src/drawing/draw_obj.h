// The common part of everything on an image: rectangle, colours, border, the owning drawing,
// and how it is stored in XML and drawn.
#pragma once

#include <pugixml.hpp>

#include "drawing/canvas.h"
#include "drawing/geometry.h"

class CDrawing;

class CDrawObj {
  public:
    virtual ~CDrawObj() = default;

    // Reads the element's attributes from its XML element; always true.
    virtual bool LoadFromXml(const pugi::xml_node& node);
    // Appends a child named by the element's tag to parent and writes the attributes.
    virtual bool SaveToXml(pugi::xml_node& parent) const;
    // designMode is 1 in the editor and 0 when exporting.
    virtual void Draw(CCanvas& canvas, int designMode) = 0;
    virtual void SetBkColor(Colour colour) { m_bkcolor = colour; }

    // The XML tag of the kind.
    virtual const char* Tag() const = 0;

    CRect GetRect() const { return m_rect; }
    void SetRect(const CRect& rect) { m_rect = rect; }
    Colour GetBkColor() const { return m_bkcolor; }
    Colour GetBorderColor() const { return m_bordercolor; }
    void SetBorderColor(Colour colour) { m_bordercolor = colour; }
    int GetBorderWidth() const { return m_borderwidth; }
    void SetBorderWidth(int width) { m_borderwidth = width; }
    CDrawing* GetOwner() const { return m_owner; }
    void SetOwner(CDrawing* owner) { m_owner = owner; }

    // True when the point lies in the rectangle; lines and one-pixel elements can be hit.
    bool HitTest(int x, int y) const;
    // True when the rectangles overlap.
    bool Intersects(const CRect& rect) const;
    // The proposal adjusted so that the element stays inside the drawing.
    CRect ConstrainRect(const CRect& proposed, bool resizing) const;
    // Asks the owner's view to repaint.
    void Redraw() const;

  protected:
    // Fill, then the border inside the rectangle.
    void DrawFrame(CCanvas& canvas) const;
    // The border alone, inside the rectangle.
    void DrawBorder(CCanvas& canvas) const;
    // Tells the owner's view that the rectangle changed.
    void SendChangeNotice();
    // Writes left, top, bottom, right, bkcolor, borderwidth and bordercolor.
    void SaveBaseAttributes(pugi::xml_node& node) const;

    CRect m_rect{0, 0, 50, 60};
    Colour m_bkcolor = kNoColour;
    int m_borderwidth = 0;
    Colour m_bordercolor = kBlack;
    CDrawing* m_owner = nullptr;
};

// Everything but the background.
class CDrawElement : public CDrawObj {};
