// Texts that follow a weather state: one text per state value, drawn only while the state
// has that value; the storm warning has one text, drawn during an alarm and in the editor.
#pragma once

#include <array>

#include "drawing/draw_text.h"
#include "weather/weather_data.h"

template <WeatherStateKind Kind, size_t Count>
class CDrawTextState : public CDrawText {
  public:
    CDrawTextState();

    void SetStateText(int index, const std::string& text) { m_stateTexts.at(index) = text; }
    const std::string& GetStateText(int index) const { return m_stateTexts.at(index); }
    // The built-in text for the state, in the user's language.
    std::string DefaultStateText(int index) const;

    bool LoadFromXml(const pugi::xml_node& node) override;
    bool SaveToXml(pugi::xml_node& parent) const override;
    void Draw(CCanvas& canvas, int designMode) override;

  private:
    std::array<std::string, Count> m_stateTexts;
};

class CDrawTextWeather : public CDrawTextState<WeatherStateKind::WeatherPicture, 3> {
  public:
    const char* Tag() const override { return "textweather"; }
};

class CDrawTextTendency : public CDrawTextState<WeatherStateKind::WeatherTendency, 3> {
  public:
    const char* Tag() const override { return "texttendency"; }
};

class CDrawTextStormWarning : public CDrawTextState<WeatherStateKind::StormAlarm, 1> {
  public:
    const char* Tag() const override { return "textstormwarning"; }
};
