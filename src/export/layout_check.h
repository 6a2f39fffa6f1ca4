// The layout check: an image drawn as it is exported, in every state, language and widest
// reading that changes it, and what then does not fit, cannot be drawn or cannot be seen.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "drawing/drawing.h"
#include "drawing/preview_state.h"

enum class LayoutProblem {
    CutRight,
    CutLeft,
    CutLeftAndRight,
    CutBottom,
    CutTop,
    CutTopAndBottom,
    PictureMissing,
    PictureUnreadable,
    Outside,
    PartlyOutside,
    Hidden,
    SmallJpegText,
};

struct LayoutFinding {
    size_t element = 0;  // its place in the drawing's elements
    LayoutProblem problem = LayoutProblem::CutRight;
    // The first drawing that shows the problem: states, language, widest readings.
    PreviewState state;
    // The state kind the element follows; none for elements drawn in every state.
    std::optional<WeatherStateKind> stateKind;
    // The language matters: the element shows a built-in text.
    bool byLanguage = false;
    std::string text;        // what the element drew then
    bool isReading = false;  // text is a data text's widest reading
    std::string detail;      // the picture file, or the element that covers it
};

// Everything wrong with the drawing's layout, one finding per element and problem (and picture
// file), each with the first state, language and reading that shows it; in element order.
std::vector<LayoutFinding> CheckLayout(CDrawing& drawing);

// The element's kind, position and text, in the user's language: Tendency text at 240, 184
// "Falling".
// shownText, when given, stands for the element's own text.
std::string DescribeElement(const CDrawObj& element, const std::string& shownText = "");

// What is wrong and when, in the user's language: cut off at the right (tendency falling).
std::string DescribeProblem(const LayoutFinding& finding);
