// Which state a weather-dependent element shows at the moment.
#pragma once

#include <cstddef>

#include "weather/weather_data.h"

// The slot to draw, or -1 for nothing: the state's value when it has a slot; an element with
// one slot (the storm warning) draws it during an alarm and always in the editor.
int shownStateSlot(WeatherStateKind kind, size_t slotCount, int designMode);
