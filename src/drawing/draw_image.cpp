#include "drawing/draw_image.h"

#include <climits>
#include <cmath>

#include "drawing/state_slot.h"
#include "drawing/xml_attributes.h"

namespace {

template <size_t Count>
std::array<CPictureSlot, Count> makeSlots(const std::array<int, Count>& ids) {
    return [&]<size_t... I>(std::index_sequence<I...>) {
        return std::array<CPictureSlot, Count>{CPictureSlot(ids[I])...};
    }
    (std::make_index_sequence<Count>());
}

}  // namespace

void CDrawImage::DrawPicture(CCanvas& canvas, int designMode, const CPictureSlot& slot,
                             PictureFit fit) {
    if (m_bkcolor != kNoColour) {
        canvas.SaveState();
        canvas.FillRect(m_rect, m_bkcolor);
        canvas.RestoreState();
    }
    CRect area = m_rect.Normalized();
    if (!area.IsEmpty() && !slot.Picture().isNull()) {
        // In the editor the picture stays transparent, so what lies below shows through.
        Colour flatten = designMode != 1 ? m_bkcolor : kNoColour;
        QPoint at = PlacePicture(slot.Picture().size(), QSize(area.Width(), area.Height()), fit)
                        .target.topLeft();
        canvas.DrawPictureAt(slot.Prepared(area.Width(), area.Height(), flatten, fit),
                             area.left + at.x(), area.top + at.y());
    }
    DrawBorder(canvas);
}

void CDrawImage::DrawSnapshot(CCanvas& canvas, const LiveSnapshot& snapshot) {
    if (snapshot.picture.isNull()) {
        return;
    }
    if (m_bkcolor != kNoColour) {
        canvas.SaveState();
        canvas.FillRect(m_rect, m_bkcolor);
        canvas.RestoreState();
    }
    CRect area = m_rect.Normalized();
    canvas.DrawPictureAt(snapshot.picture, area.left + snapshot.at.x(), area.top + snapshot.at.y());
    DrawBorder(canvas);
}

void CDrawImage::FitToPicture(const QImage& picture) {
    if (picture.isNull()) {
        return;
    }
    double ratio = std::floor(double(picture.width()) / picture.height() * 1000 + 0.5) / 1000;
    int width = m_rect.Width();
    int height = m_rect.Height();
    // A picture too narrow for three decimals has ratio 0: only the height can be kept.
    int fittedHeight = ratio > 0 ? static_cast<int>(width / ratio + 0.5) : INT_MAX;
    if (fittedHeight <= height) {
        height = fittedHeight;
    } else {
        width = static_cast<int>(height * ratio + 0.5);
    }
    m_rect.right = m_rect.left + width;
    m_rect.bottom = m_rect.top + height;
    SendChangeNotice();
}

CDrawImageSimple::CDrawImageSimple() {
    FitToPicture(m_slot.Picture());
}

void CDrawImageSimple::SetImageFile(int, const std::string& path) {
    m_slot.Load(path);
    if (KeepsAspectRatio()) {
        FitToPicture(m_slot.Picture());
    }
}

LivePictureSource CDrawImageSimple::LiveSource() const {
    CRect area = m_rect.Normalized();
    return {this,
            m_slot.Path(),
            m_caFile,
            m_maxAge,
            m_optional,
            m_fit,
            QSize(area.Width(), area.Height()),
            m_bkcolor};
}

void CDrawImageSimple::ShowSnapshot(QImage picture) {
    m_slot.Show(std::move(picture));
    Redraw();
}

bool CDrawImageSimple::LoadFromXml(const pugi::xml_node& node) {
    CDrawImage::LoadFromXml(node);
    // Read before the picture: they decide whether it may reshape the rectangle.
    m_live = readBool(node, "live", false);
    m_maxAge = readInt(node, "maxage", kDefaultLiveMaxAge);
    m_optional = readBool(node, "optional", false);
    m_fit = PictureFitFromName(readString(node, "fit", ""));
    m_caFile = readString(node, "cafile", "");
    SetImageFile(0, readString(node, "imagefile", ""));
    return true;
}

bool CDrawImageSimple::SaveToXml(pugi::xml_node& parent) const {
    pugi::xml_node node = parent.append_child(Tag());
    writeString(node, "imagefile", m_slot.Path());
    // Written only when set, so that a list that does not use them stays as it was.
    if (m_live) {
        node.append_attribute("live") = "1";
    }
    if (m_maxAge != kDefaultLiveMaxAge) {
        writeInt(node, "maxage", m_maxAge);
    }
    if (m_optional) {
        node.append_attribute("optional") = "1";
    }
    if (m_fit != PictureFit::Stretch) {
        writeString(node, "fit", PictureFitName(m_fit));
    }
    if (!m_caFile.empty()) {
        writeString(node, "cafile", m_caFile);
    }
    SaveBaseAttributes(node);
    return true;
}

template <WeatherStateKind Kind, size_t Count>
CDrawImageState<Kind, Count>::CDrawImageState(const std::array<int, Count>& builtinIds)
    : m_slots(makeSlots(builtinIds)) {
    FitToPicture(m_slots[0].Picture());
}

template <WeatherStateKind Kind, size_t Count>
void CDrawImageState<Kind, Count>::SetImageFile(int index, const std::string& path) {
    CPictureSlot& slot = m_slots.at(index);
    if (path != slot.Path()) {
        slot.Load(path);
        FitToPicture(slot.Picture());
    }
}

template <WeatherStateKind Kind, size_t Count>
bool CDrawImageState<Kind, Count>::LoadFromXml(const pugi::xml_node& node) {
    CDrawImage::LoadFromXml(node);
    for (size_t i = 0; i < Count; ++i) {
        SetImageFile(static_cast<int>(i),
                     readString(node, numberedName("imagefile_", i).c_str(), ""));
    }
    return true;
}

template <WeatherStateKind Kind, size_t Count>
bool CDrawImageState<Kind, Count>::SaveToXml(pugi::xml_node& parent) const {
    CDrawImage::SaveToXml(parent);
    pugi::xml_node node = parent.last_child();
    for (size_t i = 0; i < Count; ++i) {
        writeString(node, numberedName("imagefile_", i).c_str(), m_slots[i].Path());
    }
    return true;
}

template <WeatherStateKind Kind, size_t Count>
void CDrawImageState<Kind, Count>::Draw(CCanvas& canvas, int designMode) {
    int slot = shownStateSlot(Kind, Count, designMode);
    if (slot >= 0) {
        DrawPicture(canvas, designMode, m_slots[static_cast<size_t>(slot)]);
    }
}

template class CDrawImageState<WeatherStateKind::WeatherPicture, 3>;
template class CDrawImageState<WeatherStateKind::WeatherTendency, 3>;
template class CDrawImageState<WeatherStateKind::StormAlarm, 1>;
