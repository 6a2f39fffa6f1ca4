#include "drawing/state_slot.h"

int shownStateSlot(WeatherStateKind kind, size_t slotCount, int designMode) {
    int state = CWeatherData::Instance().GetState(kind);
    if (slotCount == 1) {
        return designMode == 1 || state == 1 ? 0 : -1;
    }
    return state >= 0 && state < static_cast<int>(slotCount) ? state : -1;
}
