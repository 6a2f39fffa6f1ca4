// Text elements: a font, a text, its colour, alignment and padding; CDrawTextSimple shows
// the text the user typed.
#pragma once

#include <QFont>
#include <string>

#include "drawing/draw_obj.h"

class CDrawText : public CDrawElement {
  public:
    CDrawText();

    bool LoadFromXml(const pugi::xml_node& node) override;
    bool SaveToXml(pugi::xml_node& parent) const override;
    void Draw(CCanvas& canvas, int designMode) override;

    // Makes text the element's text, then draws it.
    virtual void DrawString(CCanvas& canvas, int designMode, const std::string& text);

    const std::string& GetText() const { return m_text; }
    void SetText(const std::string& text) { m_text = text; }
    Colour GetTextColor() const { return m_textcolor; }
    void SetTextColor(Colour colour) { m_textcolor = colour; }
    int GetHorizontalAlignment() const { return m_horizontalalignment; }
    void SetHorizontalAlignment(int alignment) { m_horizontalalignment = alignment; }
    int GetVerticalAlignment() const { return m_verticalalignment; }
    void SetVerticalAlignment(int alignment) { m_verticalalignment = alignment; }
    int GetPadding() const { return m_padding; }
    void SetPadding(int padding) { m_padding = padding; }

    const QFont& GetFont() const { return m_font; }
    const std::string& GetFontName() const { return m_fontname; }
    int GetFontSize() const { return m_fontsize; }
    bool GetFontBold() const { return m_fontbold; }
    bool GetFontItalic() const { return m_fontitalic; }
    bool GetFontUnderline() const { return m_fontunderline; }

    // Each stores its field(s) and rebuilds the font.
    void SetFontName(const std::string& name);
    void SetFontSize(int size);
    void SetFontBold(bool bold);
    void SetFontItalic(bool italic);
    void SetFontUnderline(bool underline);
    void SetFont(const std::string& name, int size, bool bold, bool italic, bool underline);

    // Where the text goes: the rectangle inside the border and the padding.
    CRect TextRect() const { return m_rect.Deflated(m_borderwidth).Deflated(m_padding); }

  private:
    void RebuildFont();

    QFont m_font;
    std::string m_fontname = "Arial";
    int m_fontsize = 12;
    bool m_fontbold = false;
    bool m_fontitalic = false;
    bool m_fontunderline = false;
    Colour m_textcolor = kBlack;
    std::string m_text = "Text...";
    int m_horizontalalignment = 1;
    int m_verticalalignment = 1;
    int m_padding = 3;
};

class CDrawTextSimple : public CDrawText {
  public:
    const char* Tag() const override { return "textsimple"; }
};
