#include "drawing/draw_obj.h"

#include "base/app_message.h"
#include "drawing/drawing.h"
#include "drawing/xml_attributes.h"

bool CDrawObj::LoadFromXml(const pugi::xml_node& node) {
    m_rect.left = readInt(node, "left", 0);
    m_rect.top = readInt(node, "top", 0);
    m_rect.bottom = readInt(node, "bottom", 0);
    m_rect.right = readInt(node, "right", 0);
    SetBkColor(static_cast<Colour>(readInt(node, "bkcolor", static_cast<int>(kNoColour))));
    m_borderwidth = readInt(node, "borderwidth", 0);
    m_bordercolor = static_cast<Colour>(readInt(node, "bordercolor", 0));
    return true;
}

void CDrawObj::SaveBaseAttributes(pugi::xml_node& node) const {
    writeInt(node, "left", m_rect.left);
    writeInt(node, "top", m_rect.top);
    writeInt(node, "bottom", m_rect.bottom);
    writeInt(node, "right", m_rect.right);
    writeInt(node, "bkcolor", static_cast<std::int32_t>(m_bkcolor));
    writeInt(node, "borderwidth", m_borderwidth);
    writeInt(node, "bordercolor", static_cast<std::int32_t>(m_bordercolor));
}

bool CDrawObj::SaveToXml(pugi::xml_node& parent) const {
    pugi::xml_node node = parent.append_child(Tag());
    SaveBaseAttributes(node);
    return true;
}

bool CDrawObj::HitTest(int x, int y) const {
    CRect area = m_rect.Normalized();
    if (area.Width() == 0) {
        --area.left;
    }
    if (area.Height() == 0) {
        --area.top;
    }
    ++area.right;
    ++area.bottom;
    return x >= area.left && x < area.right && y >= area.top && y < area.bottom;
}

bool CDrawObj::Intersects(const CRect& rect) const {
    return !m_rect.Intersected(rect).IsEmpty();
}

CRect CDrawObj::ConstrainRect(const CRect& proposed, bool resizing) const {
    if (m_owner == nullptr || m_owner->GetBackground() == nullptr) {
        return proposed;
    }
    CRect bounds = m_owner->GetBackground()->GetRect();
    int width = bounds.right;
    int height = bounds.bottom;
    CRect result = proposed;
    bool cornerMoved = proposed.left != m_rect.left || proposed.top != m_rect.top;
    if (resizing && !cornerMoved) {
        if (proposed == m_rect) {
            return proposed;
        }
        result.bottom = std::min(result.bottom, height);
        result.right = std::min(result.right, width);
        result.bottom = std::max(result.bottom, result.top);
        result.right = std::max(result.right, result.left);
    } else if (resizing) {
        result.top = std::min(result.top, height);
        result.left = std::min(result.left, width);
        result.left = std::min(result.left, result.right);
        result.top = std::min(result.top, result.bottom);
    } else {
        if (cornerMoved) {
            result.right = result.left + m_rect.Width();
            result.bottom = result.top + m_rect.Height();
        } else {
            result.left = result.right - m_rect.Width();
            result.top = result.bottom - m_rect.Height();
        }
        int dx = result.left < 0 ? -result.left : result.right > width ? width - result.right : 0;
        int dy = result.top < 0 ? -result.top : result.bottom > height ? height - result.bottom : 0;
        result = {result.left + dx, result.top + dy, result.right + dx, result.bottom + dy};
    }
    return result;
}

void CDrawObj::Redraw() const {
    if (m_owner != nullptr) {
        PostAppMessage(m_owner->GetView(), kRedrawRequest, 0, const_cast<CDrawObj*>(this));
    }
}

void CDrawObj::SendChangeNotice() {
    if (m_owner != nullptr) {
        PostAppMessage(m_owner->GetView(), kElementChanged, 0, this);
    }
}

void CDrawObj::DrawBorder(CCanvas& canvas) const {
    if (m_borderwidth == 0) {
        return;
    }
    canvas.SaveState();
    canvas.ExcludeClip(m_rect.Deflated(m_borderwidth));
    canvas.FillRect(m_rect, m_bordercolor);
    canvas.RestoreState();
}

void CDrawObj::DrawFrame(CCanvas& canvas) const {
    if (m_bkcolor != kNoColour) {
        canvas.SaveState();
        canvas.FillRect(m_rect, m_bkcolor);
        canvas.RestoreState();
    }
    DrawBorder(canvas);
}
