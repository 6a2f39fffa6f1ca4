#include "drawing/draw_text_data.h"

#include "drawing/preview_state.h"
#include "drawing/widest_reading.h"
#include "drawing/xml_attributes.h"
#include "weather/weather_data.h"

CDrawTextData::CDrawTextData() {
    SetText(CurrentValue());
}

std::string CDrawTextData::CurrentValue() const {
    return CWeatherData::Instance().FormatValue(static_cast<WeatherDataType>(m_datatype), m_format);
}

void CDrawTextData::SetDataType(int type) {
    if (type != m_datatype) {
        m_format = 0;
        m_datatype = type;
        SetText(CurrentValue());
    }
}

void CDrawTextData::SetFormat(int format) {
    if (format != m_format) {
        m_format = format;
        SetText(CurrentValue());
    }
}

bool CDrawTextData::LoadFromXml(const pugi::xml_node& node) {
    CDrawText::LoadFromXml(node);
    SetDataType(readInt(node, "datatype", 3));
    SetFormat(readInt(node, "format", 0));
    // The stored text is that of the last save; the element shows the reading of now.
    SetText(CurrentValue());
    return true;
}

bool CDrawTextData::SaveToXml(pugi::xml_node& parent) const {
    CDrawText::SaveToXml(parent);
    pugi::xml_node node = parent.last_child();
    writeInt(node, "datatype", m_datatype);
    writeInt(node, "format", m_format);
    return true;
}

void CDrawTextData::Draw(CCanvas& canvas, int designMode) {
    const PreviewState* preview = CurrentPreviewState();
    DrawString(canvas, designMode,
               preview != nullptr && preview->widestReadings
                   ? WidestReading(GetFont(), m_datatype, m_format)
                   : CurrentValue());
}
