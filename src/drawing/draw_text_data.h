// A text showing one live reading: a data type in one of its formats.
#pragma once

#include "drawing/draw_text.h"

class CDrawTextData : public CDrawText {
  public:
    // Outdoor temperature in °C, with the current reading as its text.
    CDrawTextData();

    bool LoadFromXml(const pugi::xml_node& node) override;
    bool SaveToXml(pugi::xml_node& parent) const override;
    // Draws the current reading.
    void Draw(CCanvas& canvas, int designMode) override;
    const char* Tag() const override { return "textdata"; }

    int GetDataType() const { return m_datatype; }
    int GetFormat() const { return m_format; }
    // Another type resets the format to 0 and shows the reading; the same type changes nothing.
    void SetDataType(int type);
    // Another format shows the reading in it; the same format changes nothing.
    void SetFormat(int format);

  private:
    std::string CurrentValue() const;

    int m_datatype = 3;
    int m_format = 0;
};
