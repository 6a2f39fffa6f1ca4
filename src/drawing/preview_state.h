// What an image is drawn under instead of the station's current weather: forced states, the
// language of built-in texts and the widest readings. The layout check and the editor's preview
// draw under it; it belongs to the thread that set it, so an export elsewhere is untouched.
#pragma once

#include <array>

#include "weather/data_file.h"
#include "weather/weather_data.h"

struct PreviewState {
    // By WeatherStateKind: weather picture, tendency, storm alarm; kMissingInt for none.
    std::array<int, 3> states{kMissingInt, kMissingInt, kMissingInt};
    // The language of texts that are a built-in state text; 0 keeps them as stored.
    unsigned short langId = 0;
    // Data texts show the widest reading their type and format can produce.
    bool widestReadings = false;

    int State(WeatherStateKind kind) const { return states[static_cast<size_t>(kind)]; }
};

// The preview state set on this thread; null while drawing follows the current weather.
const PreviewState* CurrentPreviewState();

// Draws on this thread under the state while it lives; the previous one comes back after it.
class CScopedPreviewState {
  public:
    explicit CScopedPreviewState(const PreviewState& state);
    ~CScopedPreviewState();
    CScopedPreviewState(const CScopedPreviewState&) = delete;
    CScopedPreviewState& operator=(const CScopedPreviewState&) = delete;

  private:
    PreviewState m_state;
    const PreviewState* m_previous;
};
