#include "gui/canvas/canvas_zoom.h"

#include <algorithm>

namespace {

constexpr double kSteps[] = {0.25, 1.0 / 3, 0.5, 2.0 / 3, 0.75, 1.0, 1.5, 2.0, 3.0, 4.0};
// Fitted zooms lie between the steps; this keeps one from counting as its neighbour.
constexpr double kSlack = 1e-6;

}  // namespace

double ZoomInStep(double zoom) {
    for (double step : kSteps) {
        if (step > zoom + kSlack) {
            return step;
        }
    }
    return kMaxZoom;
}

double ZoomOutStep(double zoom) {
    for (auto it = std::rbegin(kSteps); it != std::rend(kSteps); ++it) {
        if (*it < zoom - kSlack) {
            return *it;
        }
    }
    return kMinZoom;
}

double FitZoom(QSize image, QSize room) {
    if (image.isEmpty() || room.isEmpty()) {
        return 1.0;
    }
    double zoom = std::min(
        {1.0, double(room.width()) / image.width(), double(room.height()) / image.height()});
    return std::max(kMinZoom, zoom);
}
