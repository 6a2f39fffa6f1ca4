#include "gui/canvas/drawing_snapshot.h"

#include <pugixml.hpp>
#include <sstream>

#include "drawing/drawing.h"

std::string DrawingXml(const CDrawing& drawing) {
    pugi::xml_document document;
    pugi::xml_node node = document.append_child("drawing");
    drawing.SaveToXml(node);
    std::ostringstream text;
    document.save(text, "", pugi::format_raw | pugi::format_no_declaration);
    return text.str();
}

void RestoreDrawing(CDrawing& drawing, const std::string& xml) {
    while (drawing.Elements().size() > 1) {
        drawing.RemoveElement(drawing.Elements().back().get());
    }
    pugi::xml_document document;
    document.load_string(xml.c_str());
    drawing.LoadFromXml(document.child("drawing"));
}
