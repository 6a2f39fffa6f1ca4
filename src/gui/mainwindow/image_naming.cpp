#include "gui/mainwindow/image_naming.h"

#include <algorithm>

std::string NextImageName(const std::string& base, const std::vector<std::string>& taken) {
    std::string name = base;
    for (int counter = 1; std::find(taken.begin(), taken.end(), name) != taken.end(); ++counter) {
        name = base + " (" + std::to_string(counter) + ")";
    }
    return name;
}
