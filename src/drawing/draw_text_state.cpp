#include "drawing/draw_text_state.h"

#include "base/lang_string.h"
#include "drawing/state_slot.h"
#include "drawing/xml_attributes.h"

template <WeatherStateKind Kind, size_t Count>
CDrawTextState<Kind, Count>::CDrawTextState() {
    for (size_t i = 0; i < Count; ++i) {
        m_stateTexts[i] = DefaultStateText(static_cast<int>(i));
    }
}

template <WeatherStateKind Kind, size_t Count>
std::string CDrawTextState<Kind, Count>::DefaultStateText(int index) const {
    // The storm warning's one text is that of the alarm, state 1.
    unsigned id = stateTextId(Kind, Count == 1 ? 1 : index);
    return id != 0 ? LangString(id) : std::string();
}

template <WeatherStateKind Kind, size_t Count>
bool CDrawTextState<Kind, Count>::LoadFromXml(const pugi::xml_node& node) {
    CDrawText::LoadFromXml(node);
    for (size_t i = 0; i < Count; ++i) {
        SetStateText(static_cast<int>(i), readString(node, numberedName("text_", i).c_str(), ""));
    }
    return true;
}

template <WeatherStateKind Kind, size_t Count>
bool CDrawTextState<Kind, Count>::SaveToXml(pugi::xml_node& parent) const {
    CDrawText::SaveToXml(parent);
    pugi::xml_node node = parent.last_child();
    for (size_t i = 0; i < Count; ++i) {
        writeString(node, numberedName("text_", i).c_str(), m_stateTexts[i]);
    }
    return true;
}

template <WeatherStateKind Kind, size_t Count>
void CDrawTextState<Kind, Count>::Draw(CCanvas& canvas, int designMode) {
    int slot = shownStateSlot(Kind, Count, designMode);
    if (slot >= 0) {
        DrawString(canvas, designMode,
                   shownStateText(Kind, Count, slot, m_stateTexts[static_cast<size_t>(slot)]));
    }
}

template class CDrawTextState<WeatherStateKind::WeatherPicture, 3>;
template class CDrawTextState<WeatherStateKind::WeatherTendency, 3>;
template class CDrawTextState<WeatherStateKind::StormAlarm, 1>;
