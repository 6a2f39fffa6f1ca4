// Picture elements: a picture file (or a built-in picture) drawn into the rectangle; the
// weather-dependent kinds hold one picture per state value.
#pragma once

#include <array>
#include <string>

#include "drawing/draw_obj.h"
#include "drawing/live_picture.h"
#include "drawing/picture.h"
#include "weather/weather_data.h"

class CDrawImage : public CDrawElement {
  public:
    void Draw(CCanvas&, int) override {}

    // Fill, the picture resampled to the rectangle as fit places it (made opaque over the fill
    // when exporting), then the border over it.
    virtual void DrawPicture(CCanvas& canvas, int designMode, const CPictureSlot& slot,
                             PictureFit fit = PictureFit::Stretch);
    // Fill, the snapshot an export fetched (a null one: nothing at all), then the border.
    void DrawSnapshot(CCanvas& canvas, const LiveSnapshot& snapshot);
    // True when resizing keeps the picture's aspect ratio and a new picture sets it.
    virtual bool KeepsAspectRatio() const { return true; }
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
    void Draw(CCanvas& canvas, int designMode) override {
        DrawPicture(canvas, designMode, m_slot, m_fit);
    }
    const char* Tag() const override { return "imagesimple"; }

    // Always loads, even the same path again.
    void SetImageFile(int index, const std::string& path) override;
    std::string GetImageFile(int) const override { return m_slot.Path(); }
    int ImageFileCount() const override { return 1; }
    // A stretched picture that is not live follows the picture's aspect ratio.
    bool KeepsAspectRatio() const override { return !m_live && m_fit == PictureFit::Stretch; }

    // Live: the file or camera address is read anew for every export (list attribute live).
    bool IsLive() const { return m_live; }
    void SetLive(bool live) { m_live = live; }
    // Seconds a live picture may be old before an export refuses it (maxage).
    int GetMaxAge() const { return m_maxAge; }
    void SetMaxAge(int seconds) { m_maxAge = seconds; }
    // A live picture that cannot be had leaves the element out instead of failing (optional).
    bool IsOptional() const { return m_optional; }
    void SetOptional(bool optional) { m_optional = optional; }
    PictureFit GetFit() const { return m_fit; }
    void SetFit(PictureFit fit) { m_fit = fit; }
    // The certificate file a camera's https certificate is checked against (cafile).
    const std::string& GetCaFile() const { return m_caFile; }
    void SetCaFile(const std::string& path) { m_caFile = path; }
    // What an export needs to fetch this picture.
    LivePictureSource LiveSource() const;
    // Shows a camera's newer snapshot in the editor; the path stays.
    void ShowSnapshot(QImage picture);

  private:
    CPictureSlot m_slot{304};
    bool m_live = false;
    int m_maxAge = kDefaultLiveMaxAge;
    bool m_optional = false;
    PictureFit m_fit = PictureFit::Stretch;
    std::string m_caFile;
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
