#include "drawing/drawing.h"

#include <algorithm>

#include "diag/log.h"
#include "drawing/element_factory.h"
#include "drawing/xml_attributes.h"

namespace {

// Where a new element of each kind first lies, in a drawing of that height.
CRect firstRect(const std::string& tag, int height) {
    if (tag == "line") {
        return {10, height - 11, 110, height - 10};
    }
    if (tag == "textstormwarning") {
        return {10, height - 35, 160, height - 10};
    }
    if (tag.starts_with("text")) {
        return {10, height - 35, 110, height - 10};
    }
    return {10, height - 60, 60, height - 10};
}

}  // namespace

CDrawing::CDrawing(QObject* view, CProfile* profile, int width, int height)
    : m_view(view), m_profile(profile) {
    m_background = static_cast<CDrawBackground*>(
        Append(CElementFactory::Instance().CreateObject("background")));
    SetWidth(width);
    SetHeight(height);
}

CDrawObj* CDrawing::Append(std::unique_ptr<CDrawObj> element) {
    element->SetOwner(this);
    m_elements.push_back(std::move(element));
    return m_elements.back().get();
}

template <class T>
T* CDrawing::Add(const char* tag) {
    auto* element = static_cast<T*>(Append(CElementFactory::Instance().CreateObject(tag)));
    CRect rect = firstRect(tag, m_height);
    if constexpr (std::is_same_v<T, CDrawImageSimple>) {
        // Placed by the size its placeholder picture gave it.
        CRect size = element->GetRect();
        rect = {10, m_height - 10 - size.Height(), 10 + size.Width(), m_height - 10};
    }
    element->SetRect(rect);
    return element;
}

CDrawLine* CDrawing::AddLine() {
    return Add<CDrawLine>("line");
}
CDrawTextSimple* CDrawing::AddTextSimple() {
    return Add<CDrawTextSimple>("textsimple");
}
CDrawTextData* CDrawing::AddTextData() {
    return Add<CDrawTextData>("textdata");
}
CDrawTextWeather* CDrawing::AddTextWeather() {
    return Add<CDrawTextWeather>("textweather");
}
CDrawTextTendency* CDrawing::AddTextTendency() {
    return Add<CDrawTextTendency>("texttendency");
}
CDrawTextStormWarning* CDrawing::AddTextStormWarning() {
    return Add<CDrawTextStormWarning>("textstormwarning");
}
CDrawImageSimple* CDrawing::AddImageSimple() {
    return Add<CDrawImageSimple>("imagesimple");
}
CDrawImageWeather* CDrawing::AddImageWeather() {
    return Add<CDrawImageWeather>("imageweather");
}
CDrawImageWeatherTendency* CDrawing::AddImageWeatherTendency() {
    return Add<CDrawImageWeatherTendency>("imageweathertendency");
}
CDrawImageStormWarning* CDrawing::AddImageStormWarning() {
    return Add<CDrawImageStormWarning>("imagestormwarning");
}

bool CDrawing::RemoveElement(CDrawObj* element) {
    if (element == m_background) {
        return false;
    }
    auto it = std::find_if(m_elements.begin(), m_elements.end(),
                           [element](const auto& entry) { return entry.get() == element; });
    if (it == m_elements.end()) {
        return false;
    }
    m_elements.erase(it);
    return true;
}

bool CDrawing::Contains(const CDrawObj* element) const {
    return std::any_of(m_elements.begin(), m_elements.end(),
                       [element](const auto& entry) { return entry.get() == element; });
}

CDrawObj* CDrawing::FindElementAt(int x, int y) const {
    for (auto it = m_elements.rbegin(); it != m_elements.rend(); ++it) {
        if (it->get() != m_background && (*it)->HitTest(x, y)) {
            return it->get();
        }
    }
    return m_background;
}

bool CDrawing::MoveElement(CDrawObj* element, int index) {
    auto it = std::find_if(m_elements.begin(), m_elements.end(),
                           [element](const auto& held) { return held.get() == element; });
    if (it == m_elements.end() || element == m_background) {
        return false;
    }
    std::unique_ptr<CDrawObj> moved = std::move(*it);
    m_elements.erase(it);
    index = std::clamp(index, 1, static_cast<int>(m_elements.size()));
    m_elements.insert(m_elements.begin() + index, std::move(moved));
    return true;
}

CDrawObj* CDrawing::FindOverlapping(const CRect& rect, const CDrawObj* skip, CRect* overlap) const {
    for (auto it = m_elements.rbegin(); it != m_elements.rend(); ++it) {
        CDrawObj* element = it->get();
        if (element != m_background && element != skip && element->Intersects(rect)) {
            if (overlap != nullptr) {
                *overlap = element->GetRect().Intersected(rect);
            }
            return element;
        }
    }
    if (overlap != nullptr) {
        *overlap = m_background->GetRect().Intersected(rect);
    }
    return m_background;
}

int CDrawing::GetMinWidth() const {
    int width = 60;
    for (const auto& element : m_elements) {
        if (element.get() != m_background) {
            width = std::max(width, element->GetRect().Normalized().right);
        }
    }
    return std::min(width, kMaxImageSide);
}

int CDrawing::GetMinHeight() const {
    int height = 50;
    for (const auto& element : m_elements) {
        if (element.get() != m_background) {
            height = std::max(height, element->GetRect().Normalized().bottom);
        }
    }
    return std::min(height, kMaxImageSide);
}

void CDrawing::SetWidth(int width) {
    m_width = width;
    CRect rect = m_background->GetRect();
    m_background->SetRect({0, 0, width, rect.bottom});
}

void CDrawing::SetHeight(int height) {
    m_height = height;
    CRect rect = m_background->GetRect();
    m_background->SetRect({0, 0, rect.right, height});
}

bool CDrawing::LoadFromXml(const pugi::xml_node& node) {
    for (pugi::xml_node child : node.children()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        std::string tag = std::string(child.name()).substr(0, 255);
        if (tag == "background") {
            m_background->LoadFromXml(child);
            continue;
        }
        // An unknown kind (a newer program's, or a damaged file) must not cost the rest.
        if (!CElementFactory::Instance().IsRegistered(tag)) {
            LogMessage(Warn, "[CDrawing::LoadFromXml] Unknown element <%s> skipped.", tag.c_str());
            continue;
        }
        CDrawObj* element = Append(CElementFactory::Instance().CreateObject(tag));
        element->LoadFromXml(child);
    }
    m_imageformat = readInt(node, "imageformat", 3);
    SetWidth(readInt(node, "width", kDefaultImageWidth));
    SetHeight(readInt(node, "height", kDefaultImageHeight));
    return true;
}

bool CDrawing::SaveToXml(pugi::xml_node& node) const {
    writeInt(node, "imageformat", m_imageformat);
    writeInt(node, "width", m_width);
    writeInt(node, "height", m_height);
    for (const auto& element : m_elements) {
        element->SaveToXml(node);
    }
    return true;
}

void CDrawing::Draw(CCanvas& canvas, int designMode, const CLiveSnapshots* live) {
    std::lock_guard<std::mutex> guard(m_drawLock);
    for (const auto& element : m_elements) {
        canvas.BeginElement(*element);
        const LiveSnapshot* snapshot = live != nullptr ? live->Find(element.get()) : nullptr;
        if (snapshot != nullptr) {
            static_cast<CDrawImage*>(element.get())->DrawSnapshot(canvas, *snapshot);
        } else {
            element->Draw(canvas, designMode);
        }
    }
}

std::vector<LivePictureSource> CDrawing::LivePictures() const {
    std::lock_guard<std::mutex> guard(m_drawLock);
    std::vector<LivePictureSource> sources;
    for (const auto& element : m_elements) {
        if (auto* picture = dynamic_cast<const CDrawImageSimple*>(element.get());
            picture != nullptr && picture->IsLive()) {
            sources.push_back(picture->LiveSource());
        }
    }
    return sources;
}
