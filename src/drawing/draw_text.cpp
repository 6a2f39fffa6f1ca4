#include "drawing/draw_text.h"

#include "drawing/font.h"
#include "drawing/preview_state.h"
#include "drawing/xml_attributes.h"

CDrawText::CDrawText() {
    RebuildFont();
}

void CDrawText::RebuildFont() {
    m_font = CreateFontFromDescription(m_fontname, m_fontsize, m_fontbold, m_fontitalic,
                                       m_fontunderline);
}

void CDrawText::SetFontName(const std::string& name) {
    m_fontname = name;
    RebuildFont();
}

void CDrawText::SetFontSize(int size) {
    m_fontsize = size;
    RebuildFont();
}

void CDrawText::SetFontBold(bool bold) {
    m_fontbold = bold;
    RebuildFont();
}

void CDrawText::SetFontItalic(bool italic) {
    m_fontitalic = italic;
    RebuildFont();
}

void CDrawText::SetFontUnderline(bool underline) {
    m_fontunderline = underline;
    RebuildFont();
}

void CDrawText::SetFont(const std::string& name, int size, bool bold, bool italic, bool underline) {
    m_fontname = name;
    m_fontsize = size;
    m_fontbold = bold;
    m_fontitalic = italic;
    m_fontunderline = underline;
    RebuildFont();
}

bool CDrawText::LoadFromXml(const pugi::xml_node& node) {
    CDrawElement::LoadFromXml(node);
    m_text = readString(node, "text", "Text...");
    m_textcolor = static_cast<Colour>(readInt(node, "textcolor", 0));
    SetFont(readString(node, "fontname", "Arial"), readInt(node, "fontsize", 12),
            readBool(node, "fontbold", false), readBool(node, "fontitalic", false),
            readBool(node, "fontunderline", false));
    m_verticalalignment = readInt(node, "verticalalignment", 1);
    m_horizontalalignment = readInt(node, "horizontalalignment", 1);
    m_padding = readInt(node, "padding", 3);
    return true;
}

bool CDrawText::SaveToXml(pugi::xml_node& parent) const {
    CDrawElement::SaveToXml(parent);
    pugi::xml_node node = parent.last_child();
    writeString(node, "text", m_text);
    writeInt(node, "textcolor", static_cast<std::int32_t>(m_textcolor));
    writeString(node, "fontname", m_fontname);
    writeInt(node, "fontsize", m_fontsize);
    writeBool(node, "fontbold", m_fontbold);
    writeBool(node, "fontitalic", m_fontitalic);
    writeBool(node, "fontunderline", m_fontunderline);
    writeInt(node, "horizontalalignment", m_horizontalalignment);
    writeInt(node, "verticalalignment", m_verticalalignment);
    writeInt(node, "padding", m_padding);
    return true;
}

void CDrawText::Draw(CCanvas& canvas, int designMode) {
    DrawString(canvas, designMode, m_text);
}

void CDrawText::DrawString(CCanvas& canvas, int, const std::string& text) {
    // A preview or the layout check draws other states' texts; the element keeps its own.
    if (CurrentPreviewState() == nullptr) {
        m_text = text;
    }
    DrawFrame(canvas);
    canvas.SaveState();
    canvas.SetTextForeground(m_textcolor);
    canvas.SetTextBackground(m_bkcolor);
    canvas.SelectFont(m_font);
    canvas.DrawTextInRect(text, TextRect(), {m_horizontalalignment, m_verticalalignment});
    canvas.RestoreState();
}
