// Which state a weather-dependent element shows at the moment, and in which words.
#pragma once

#include <cstddef>
#include <string>

#include "weather/weather_data.h"

// The three languages of the string tables, in the order the layout check tries them.
constexpr unsigned short kLanguages[] = {1033, 1031, 1036};

// The slot to draw, or -1 for nothing: the state's value when it has a slot; an element with
// one slot (the storm warning) draws it during an alarm and always in the editor. A preview
// state on this thread stands in for the current weather.
int shownStateSlot(WeatherStateKind kind, size_t slotCount, int designMode);

// True when text is the built-in text of the slot in one of the three languages: whoever made
// the element under another language got that language's words instead.
bool isBuiltinStateText(WeatherStateKind kind, size_t slotCount, int slot, const std::string& text);

// The slot's text as drawn: a built-in text in the preview's language, when a preview names
// one; else the stored text.
std::string shownStateText(WeatherStateKind kind, size_t slotCount, int slot,
                           const std::string& text);
