#include "drawing/state_slot.h"

#include "base/lang_string.h"
#include "drawing/preview_state.h"

namespace {

// The storm warning's one text is that of the alarm, state 1.
unsigned builtinTextId(WeatherStateKind kind, size_t slotCount, int slot) {
    return stateTextId(kind, slotCount == 1 ? 1 : slot);
}

}  // namespace

int shownStateSlot(WeatherStateKind kind, size_t slotCount, int designMode) {
    const PreviewState* preview = CurrentPreviewState();
    int state = preview != nullptr ? preview->State(kind) : CWeatherData::Instance().GetState(kind);
    if (slotCount == 1) {
        return designMode == 1 || state == 1 ? 0 : -1;
    }
    return state >= 0 && state < static_cast<int>(slotCount) ? state : -1;
}

bool isBuiltinStateText(WeatherStateKind kind, size_t slotCount, int slot,
                        const std::string& text) {
    unsigned id = builtinTextId(kind, slotCount, slot);
    if (id == 0 || text.empty()) {
        return false;
    }
    for (unsigned short langId : kLanguages) {
        if (LoadLangString(id, langId) == text) {
            return true;
        }
    }
    return false;
}

std::string shownStateText(WeatherStateKind kind, size_t slotCount, int slot,
                           const std::string& text) {
    const PreviewState* preview = CurrentPreviewState();
    if (preview == nullptr || preview->langId == 0 ||
        !isBuiltinStateText(kind, slotCount, slot, text)) {
        return text;
    }
    return LoadLangString(builtinTextId(kind, slotCount, slot), preview->langId);
}
