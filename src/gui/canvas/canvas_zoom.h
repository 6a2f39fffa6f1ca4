// The canvas's zoom: the steps from 25 % to 400 %, and the zoom that fits an image into a window.
#pragma once

#include <QSize>

constexpr double kMinZoom = 0.25;
constexpr double kMaxZoom = 4.0;

// The next step above or below zoom; the limit when there is none.
double ZoomInStep(double zoom);
double ZoomOutStep(double zoom);

// The largest zoom up to 100 % at which image fits into room; never below kMinZoom.
double FitZoom(QSize image, QSize room);
