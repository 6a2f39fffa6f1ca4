#include "export/layout_probe.h"

CLayoutProbe::CLayoutProbe(CCanvas& inner, const std::vector<const CDrawObj*>& order)
    : m_inner(inner), m_elements(order.size()), m_current(order.size()) {
    for (size_t i = 0; i < order.size(); ++i) {
        m_places[order[i]] = i;
    }
}

ProbedElement* CLayoutProbe::Current() {
    return m_current < m_elements.size() ? &m_elements[m_current] : nullptr;
}

void CLayoutProbe::BeginElement(const CDrawObj& element) {
    auto it = m_places.find(&element);
    m_current = it == m_places.end() ? m_elements.size() : it->second;
    m_inner.BeginElement(element);
}

void CLayoutProbe::SaveState() {
    m_clipped.push_back(m_clipped.back());
    m_inner.SaveState();
}

void CLayoutProbe::RestoreState() {
    if (m_clipped.size() > 1) {
        m_clipped.pop_back();
    }
    m_inner.RestoreState();
}

void CLayoutProbe::FillRect(const CRect& rect, Colour colour) {
    if (ProbedElement* element = Current()) {
        element->drawn = true;
        if (!m_clipped.back()) {
            element->covers.push_back(rect.Normalized());
        }
    }
    m_inner.FillRect(rect, colour);
}

void CLayoutProbe::ExcludeClip(const CRect& rect) {
    m_clipped.back() = true;
    m_inner.ExcludeClip(rect);
}

void CLayoutProbe::DrawLine(int x1, int y1, int x2, int y2, Colour colour, int width) {
    if (ProbedElement* element = Current()) {
        element->drawn = true;
    }
    m_inner.DrawLine(x1, y1, x2, y2, colour, width);
}

void CLayoutProbe::SelectFont(const QFont& font) {
    m_inner.SelectFont(font);
}

void CLayoutProbe::SetTextForeground(Colour colour) {
    m_inner.SetTextForeground(colour);
}

void CLayoutProbe::SetTextBackground(Colour colour) {
    m_inner.SetTextBackground(colour);
}

void CLayoutProbe::DrawTextInRect(const std::string& text, const CRect& rect,
                                  TextPlacement placement) {
    if (ProbedElement* element = Current()) {
        element->drawn = true;
        element->texts.push_back({text, rect, m_inner.TextBounds(text, rect, placement)});
    }
    m_inner.DrawTextInRect(text, rect, placement);
}

CRect CLayoutProbe::TextBounds(const std::string& text, const CRect& rect,
                               TextPlacement placement) {
    return m_inner.TextBounds(text, rect, placement);
}

void CLayoutProbe::DrawPictureAt(const QImage& picture, int x, int y) {
    if (ProbedElement* element = Current()) {
        element->drawn = true;
        if (!picture.hasAlphaChannel()) {
            element->covers.push_back({x, y, x + picture.width(), y + picture.height()});
        }
    }
    m_inner.DrawPictureAt(picture, x, y);
}
