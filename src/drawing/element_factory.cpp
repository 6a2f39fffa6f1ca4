#include "drawing/element_factory.h"

#include "drawing/draw_background.h"
#include "drawing/draw_image.h"
#include "drawing/draw_line.h"
#include "drawing/draw_text_data.h"
#include "drawing/draw_text_state.h"

namespace {

template <class T>
std::unique_ptr<CDrawObj> create() {
    return std::make_unique<T>();
}

}  // namespace

CElementFactory::CElementFactory() {
    Register("background", &create<CDrawBackground>);
    Register("line", &create<CDrawLine>);
    Register("textsimple", &create<CDrawTextSimple>);
    Register("textdata", &create<CDrawTextData>);
    Register("textweather", &create<CDrawTextWeather>);
    Register("texttendency", &create<CDrawTextTendency>);
    Register("textstormwarning", &create<CDrawTextStormWarning>);
    Register("imagesimple", &create<CDrawImageSimple>);
    Register("imageweather", &create<CDrawImageWeather>);
    Register("imageweathertendency", &create<CDrawImageWeatherTendency>);
    Register("imagestormwarning", &create<CDrawImageStormWarning>);
}
