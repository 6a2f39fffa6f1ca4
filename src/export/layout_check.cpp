#include "export/layout_check.h"

#include <algorithm>
#include <set>

#include "base/lang_string.h"
#include "base/string_ids.h"
#include "drawing/picture.h"
#include "drawing/state_slot.h"
#include "export/image_file.h"
#include "export/layout_probe.h"
#include "net/camera_fetch.h"

namespace {

// Below this height a JPEG's compression blurs letters beyond reading.
constexpr int kSmallestJpegText = 8;

const char* const kTags[] = {"background",       "line",
                             "textsimple",       "textdata",
                             "textweather",      "texttendency",
                             "textstormwarning", "imagesimple",
                             "imageweather",     "imageweathertendency",
                             "imagestormwarning"};

std::optional<WeatherStateKind> stateKindOf(const std::string& tag) {
    if (tag == "textweather" || tag == "imageweather") {
        return WeatherStateKind::WeatherPicture;
    }
    if (tag == "texttendency" || tag == "imageweathertendency") {
        return WeatherStateKind::WeatherTendency;
    }
    if (tag == "textstormwarning" || tag == "imagestormwarning") {
        return WeatherStateKind::StormAlarm;
    }
    return std::nullopt;
}

// The values each state takes in the check; a missing state draws like none of them.
std::vector<int> stateValues(WeatherStateKind kind) {
    if (kind == WeatherStateKind::StormAlarm) {
        return {0, 1, kMissingInt};
    }
    return {0, 1, 2, kMissingInt};
}

template <class T>
bool showsBuiltinText(const CDrawObj& element, WeatherStateKind kind, size_t count,
                      const PreviewState& state) {
    auto* text = dynamic_cast<const T*>(&element);
    if (text == nullptr) {
        return false;
    }
    int slot = count == 1 ? 0 : state.State(kind);
    return slot >= 0 && slot < static_cast<int>(count) &&
           isBuiltinStateText(kind, count, slot, text->GetStateText(slot));
}

// True when the element, drawn under state, shows a text that changes with the language.
bool showsTextByLanguage(const CDrawObj& element, const PreviewState& state) {
    return showsBuiltinText<CDrawTextWeather>(element, WeatherStateKind::WeatherPicture, 3,
                                              state) ||
           showsBuiltinText<CDrawTextTendency>(element, WeatherStateKind::WeatherTendency, 3,
                                               state) ||
           showsBuiltinText<CDrawTextStormWarning>(element, WeatherStateKind::StormAlarm, 1, state);
}

// Any state in which the element shows a built-in text.
bool hasTextByLanguage(const CDrawObj& element) {
    for (int value : {0, 1, 2}) {
        PreviewState state;
        state.states.fill(value);
        if (showsTextByLanguage(element, state)) {
            return true;
        }
    }
    return false;
}

// The states every combination of which the drawing's elements follow; the others stay missing.
std::vector<PreviewState> stateCombinations(const CDrawing& drawing) {
    std::set<WeatherStateKind> followed;
    bool byLanguage = false;
    for (const auto& element : drawing.Elements()) {
        if (auto kind = stateKindOf(element->Tag())) {
            followed.insert(*kind);
        }
        byLanguage = byLanguage || hasTextByLanguage(*element);
    }
    std::vector<PreviewState> combinations{PreviewState{}};
    for (WeatherStateKind kind : followed) {
        std::vector<PreviewState> next;
        for (const PreviewState& base : combinations) {
            for (int value : stateValues(kind)) {
                PreviewState state = base;
                state.states[static_cast<size_t>(kind)] = value;
                next.push_back(state);
            }
        }
        combinations = std::move(next);
    }
    std::vector<PreviewState> all;
    for (const PreviewState& base : combinations) {
        for (unsigned short langId : kLanguages) {
            PreviewState state = base;
            state.langId = byLanguage ? langId : 0;
            state.widestReadings = true;
            all.push_back(state);
            if (!byLanguage) {
                break;
            }
        }
    }
    return all;
}

// Item index of a ";"-separated list; "" past its end.
std::string listItem(const std::string& list, size_t index) {
    size_t start = 0;
    for (size_t i = 0; i < index; ++i) {
        start = list.find(';', start);
        if (start == std::string::npos) {
            return "";
        }
        ++start;
    }
    return list.substr(start, list.find(';', start) - start);
}

bool isBlank(const std::string& text) {
    return text.find_first_not_of(" \t\r\n&") == std::string::npos;
}

bool contains(const CRect& outer, const CRect& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The pixels the element can paint.
CRect extentOf(const CDrawObj& element) {
    CRect rect = element.GetRect().Normalized();
    if (std::string(element.Tag()) == "line") {
        int half = std::max(element.GetBorderWidth(), 1) / 2;
        return {rect.left - half, rect.top - half, rect.right + half + 1, rect.bottom + half + 1};
    }
    return rect;
}

std::optional<LayoutProblem> cutOf(const ProbedText& text) {
    bool left = text.bounds.left < text.rect.left;
    bool right = text.bounds.right > text.rect.right;
    // The glyphs' tight bounds are rounded outward to whole pixels: one pixel more is the
    // rounding, not a letter cut off.
    constexpr int kInkRounding = 1;
    if (left || right) {
        return left && right ? LayoutProblem::CutLeftAndRight
               : left        ? LayoutProblem::CutLeft
                             : LayoutProblem::CutRight;
    }
    bool top = text.bounds.top + kInkRounding < text.rect.top;
    bool bottom = text.bounds.bottom - kInkRounding > text.rect.bottom;
    if (top || bottom) {
        return top && bottom ? LayoutProblem::CutTopAndBottom
               : top         ? LayoutProblem::CutTop
                             : LayoutProblem::CutBottom;
    }
    return std::nullopt;
}

// Collects findings, keeping the first of each element, problem and detail.
class FindingList {
  public:
    explicit FindingList(const CDrawing& drawing) : m_drawing(drawing) {}

    void Add(size_t element, LayoutProblem problem, const PreviewState& state,
             const std::string& text = "", const std::string& detail = "") {
        auto key = std::make_tuple(element, problem, detail);
        if (!m_seen.insert(key).second) {
            return;
        }
        const CDrawObj& object = *m_drawing.Elements()[element];
        LayoutFinding finding{element,
                              problem,
                              state,
                              stateKindOf(object.Tag()),
                              showsTextByLanguage(object, state),
                              text,
                              std::string(object.Tag()) == "textdata",
                              detail};
        if (!finding.byLanguage) {
            finding.state.langId = 0;
        }
        m_findings.push_back(finding);
    }

    std::vector<LayoutFinding> Sorted() {
        std::stable_sort(m_findings.begin(), m_findings.end(),
                         [](const auto& a, const auto& b) { return a.element < b.element; });
        return m_findings;
    }

  private:
    const CDrawing& m_drawing;
    std::set<std::tuple<size_t, LayoutProblem, std::string>> m_seen;
    std::vector<LayoutFinding> m_findings;
};

// How often an element was drawn and how often wholly covered, and by whom first.
struct Visibility {
    int drawn = 0;
    int covered = 0;
    std::optional<size_t> coveredBy;
    PreviewState firstDrawn;
};

void checkPictureFiles(const CDrawing& drawing, FindingList& findings) {
    const auto& elements = drawing.Elements();
    for (size_t i = 0; i < elements.size(); ++i) {
        auto* image = dynamic_cast<const CDrawImage*>(elements[i].get());
        if (image == nullptr) {
            continue;
        }
        for (int slot = 0; slot < image->ImageFileCount(); ++slot) {
            std::string path = image->GetImageFile(slot);
            PictureFileProblem problem = CheckPictureFile(path);
            if (problem == PictureFileProblem::None) {
                continue;
            }
            // The state that shows this picture.
            PreviewState state;
            if (auto kind = stateKindOf(image->Tag())) {
                state.states[static_cast<size_t>(*kind)] = image->ImageFileCount() == 1 ? 1 : slot;
            }
            state.widestReadings = true;
            findings.Add(i,
                         problem == PictureFileProblem::Missing ? LayoutProblem::PictureMissing
                                                                : LayoutProblem::PictureUnreadable,
                         state, "", path);
        }
    }
}

}  // namespace

std::vector<LayoutFinding> CheckLayout(CDrawing& drawing) {
    const auto& elements = drawing.Elements();
    std::vector<const CDrawObj*> order;
    for (const auto& element : elements) {
        order.push_back(element.get());
    }
    FindingList findings(drawing);
    checkPictureFiles(drawing, findings);
    std::vector<Visibility> visibility(elements.size());
    CRect image{0, 0, drawing.GetWidth(), drawing.GetHeight()};
    bool jpeg = drawing.GetImageFormat() == kJpegFormat;
    for (const PreviewState& state : stateCombinations(drawing)) {
        CScopedPreviewState scope(state);
        std::vector<ProbedElement> probed;
        RenderOnImage(drawing, [&](CCanvas& canvas) {
            CLayoutProbe probe(canvas, order);
            drawing.Draw(probe, 0);
            probed = probe.Elements();
        });
        // The background is the image itself: never outside, never hidden.
        for (size_t i = 1; i < elements.size(); ++i) {
            const CDrawObj& element = *elements[i];
            if (!probed[i].drawn) {
                continue;
            }
            CRect extent = extentOf(element);
            if (!contains(image, extent)) {
                bool apart = extent.Intersected(image).IsEmpty();
                findings.Add(i, apart ? LayoutProblem::Outside : LayoutProblem::PartlyOutside,
                             state);
            }
            for (const ProbedText& text : probed[i].texts) {
                if (isBlank(text.text)) {
                    continue;
                }
                if (auto cut = cutOf(text)) {
                    findings.Add(i, *cut, state, text.text);
                }
                auto* textElement = dynamic_cast<const CDrawText*>(&element);
                if (jpeg && textElement != nullptr &&
                    textElement->GetFont().pixelSize() < kSmallestJpegText) {
                    findings.Add(i, LayoutProblem::SmallJpegText, state, text.text);
                }
            }
            Visibility& seen = visibility[i];
            if (seen.drawn++ == 0) {
                seen.firstDrawn = state;
            }
            CRect visible = extent.Intersected(image);
            for (size_t above = i + 1; above < elements.size(); ++above) {
                const auto& covers = probed[above].covers;
                if (std::any_of(covers.begin(), covers.end(),
                                [&](const CRect& cover) { return contains(cover, visible); })) {
                    ++seen.covered;
                    if (!seen.coveredBy) {
                        seen.coveredBy = above;
                    }
                    break;
                }
            }
        }
    }
    // Covered in some states only is a design (the storm warning over the forecast); covered
    // whenever it is drawn, nobody ever sees it.
    for (size_t i = 1; i < elements.size(); ++i) {
        const Visibility& seen = visibility[i];
        if (seen.drawn > 0 && seen.covered == seen.drawn &&
            !extentOf(*elements[i]).Intersected(image).IsEmpty()) {
            findings.Add(i, LayoutProblem::Hidden, seen.firstDrawn, "",
                         DescribeElement(*elements[*seen.coveredBy]));
        }
    }
    return findings.Sorted();
}

std::string DescribeElement(const CDrawObj& element, const std::string& shownText) {
    std::string tag = element.Tag();
    size_t kind =
        static_cast<size_t>(std::find(std::begin(kTags), std::end(kTags), tag) - std::begin(kTags));
    std::string name = listItem(LangString(kTextElementKinds), kind);
    CRect rect = element.GetRect();
    std::string description = LangString(
        kTextElementAt,
        {name.empty() ? tag : name, std::to_string(rect.left), std::to_string(rect.top)});
    std::string text = shownText;
    if (auto* textElement = dynamic_cast<const CDrawText*>(&element); text.empty() && textElement) {
        text = textElement->GetText();
    } else if (auto* image = dynamic_cast<const CDrawImage*>(&element);
               text.empty() && image && image->ImageFileCount() > 0) {
        text = ShownPictureSource(image->GetImageFile(0));
    }
    if (!isBlank(text)) {
        std::replace(text.begin(), text.end(), '\n', ' ');
        description = LangString(kTextQuoted, {description, text});
    }
    return description;
}

std::string DescribeProblem(const LayoutFinding& finding) {
    static const unsigned problemTexts[] = {
        kTextCutRight,     kTextCutLeft,         kTextCutLeftAndRight, kTextCutBottom,
        kTextCutTop,       kTextCutTopAndBottom, kTextPictureMissing,  kTextPictureUnreadable,
        kTextOutsideImage, kTextPartlyOutside,   kTextHiddenUnder,     kTextSmallJpegText};
    std::string problem =
        LangString(problemTexts[static_cast<size_t>(finding.problem)], {finding.detail});
    std::vector<std::string> conditions;
    if (finding.stateKind) {
        static const unsigned stateLists[] = {kListWeatherStates, kListTendencyStates,
                                              kListStormStates};
        int value = finding.state.State(*finding.stateKind);
        auto kind = static_cast<size_t>(*finding.stateKind);
        size_t missing = kind == 2 ? 2 : 3;
        conditions.push_back(listItem(LangString(stateLists[kind]),
                                      value >= 0 && static_cast<size_t>(value) < missing
                                          ? static_cast<size_t>(value)
                                          : missing));
    }
    if (finding.byLanguage) {
        size_t language = static_cast<size_t>(
            std::find(std::begin(kLanguages), std::end(kLanguages), finding.state.langId) -
            std::begin(kLanguages));
        conditions.push_back(listItem(LangString(kListInLanguages), language));
    }
    if (!finding.text.empty() && finding.state.widestReadings && finding.isReading) {
        conditions.push_back(LangString(kTextWithReading, {finding.text}));
    }
    if (conditions.empty()) {
        return problem;
    }
    std::string joined;
    for (const std::string& condition : conditions) {
        joined += (joined.empty() ? "" : ", ") + condition;
    }
    return LangString(kTextProblemWhen, {problem, joined});
}
