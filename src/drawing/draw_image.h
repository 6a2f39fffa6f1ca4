// Picture elements: a picture file (or a built-in picture) drawn into the rectangle; the
// weather-dependent kinds hold one picture per state value.
#pragma once

#include <array>
#include <string>

#include "drawing/draw_obj.h"
#include "drawing/picture.h"
#include "weather/weather_data.h"

class CDrawImage : public CDrawElement {
  public:
    void Draw(CCanvas&, int) override {}

    // Fill, the picture resampled to the rectangle (made opaque over the fill when exporting),
    // then the border over it.
    virtual void DrawPicture(CCanvas& canvas, int designMode, const CPictureSlot& slot);
    // Sets the picture file of a slot and loads it; "" means the built-in picture.
    virtual void SetImageFile(int, const std::string&) {}
    virtual std::string GetImageFile(int) const { return ""; }
    // How many picture files the kind holds.
    virtual int ImageFileCount() const { return 0; }

  protected:
    // Gives the rectangle the picture's aspect ratio, keeping its top-left corner.
    void FitToPicture(const QImage& picture);
};

class CDrawImageSimple : public CDrawImage {
  public:
    CDrawImageSimple();

    bool LoadFromXml(const pugi::xml_node& node) override;
    bool SaveToXml(pugi::xml_node& parent) const override;
    void Draw(CCanvas& canvas, int designMode) override { DrawPicture(canvas, designMode, m_slot); }
    const char* Tag() const override { return "imagesimple"; }

    // Always loads, even the same path again.
    void SetImageFile(int index, const std::string& path) override;
    std::string GetImageFile(int) const override { return m_slot.Path(); }
    int ImageFileCount() const override { return 1; }

  private:
    CPictureSlot m_slot{304};
};

// Count pictures; drawn while the state has the slot's value (the storm warning's one
// picture during an alarm, and always in the editor).
template <WeatherStateKind Kind, size_t Count>
class CDrawImageState : public CDrawImage {
  public:
    explicit CDrawImageState(const std::array<int, Count>& builtinIds);

    bool LoadFromXml(const pugi::xml_node& node) override;
    bool SaveToXml(pugi::xml_node& parent) const override;
    void Draw(CCanvas& canvas, int designMode) override;

    // Loads only when the path differs from the stored one.
    void SetImageFile(int index, const std::string& path) override;
    std::string GetImageFile(int index) const override { return m_slots.at(index).Path(); }
    int ImageFileCount() const override { return static_cast<int>(Count); }

    const CPictureSlot& Slot(int index) const { return m_slots.at(index); }

  private:
    std::array<CPictureSlot, Count> m_slots;
};

class CDrawImageWeather : public CDrawImageState<WeatherStateKind::WeatherPicture, 3> {
  public:
    CDrawImageWeather() : CDrawImageState({305, 307, 306}) {}
    const char* Tag() const override { return "imageweather"; }
};

class CDrawImageWeatherTendency : public CDrawImageState<WeatherStateKind::WeatherTendency, 3> {
  public:
    CDrawImageWeatherTendency() : CDrawImageState({301, 302, 300}) {}
    const char* Tag() const override { return "imageweathertendency"; }
};

class CDrawImageStormWarning : public CDrawImageState<WeatherStateKind::StormAlarm, 1> {
  public:
    CDrawImageStormWarning() : CDrawImageState({308}) {}
    const char* Tag() const override { return "imagestormwarning"; }
};
