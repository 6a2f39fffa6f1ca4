// The drawings of the example image list, for tests and benchmarks.
#pragma once

#include <filesystem>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "drawing/drawing.h"

inline const std::string kExamplesDir = std::string(SKYVANE_SOURCE_DIR) + "/examples";

struct ExampleDrawing {
    std::string name;
    std::unique_ptr<CDrawing> drawing;
};

// Every profile's drawing of examples/data.xml; picture paths resolve against examples/.
inline std::vector<ExampleDrawing> loadExampleDrawings() {
    std::filesystem::current_path(kExamplesDir);
    pugi::xml_document document;
    document.load_file((kExamplesDir + "/data.xml").c_str());
    std::vector<ExampleDrawing> drawings;
    for (pugi::xml_node profile : document.child("profiles").children("profile")) {
        auto drawing = std::make_unique<CDrawing>(nullptr, nullptr);
        drawing->LoadFromXml(profile.child("drawing"));
        drawings.push_back({profile.attribute("name").as_string(), std::move(drawing)});
    }
    return drawings;
}
