#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QTemporaryDir>

#include "base/settings.h"
#include "drawing/font.h"
#include "export/layout_check.h"
#include "support/example_drawings.h"
#include "support/test_files.h"

namespace {

int textWidth(const std::string& text, int points) {
    return QFontMetrics(CreateFontFromDescription("Arial", points, false, false, false))
        .horizontalAdvance(QString::fromStdString(text));
}

// A text element of the kind, as wide as width plus its padding of 3, 40 high.
std::string textElement(const std::string& tag, int width, const std::string& attributes,
                        int points = 12) {
    return "<" + tag + " left=\"10\" top=\"10\" right=\"" + std::to_string(16 + width) +
           "\" bottom=\"50\" fontsize=\"" + std::to_string(points) +
           "\" padding=\"3\" horizontalalignment=\"0\" " + attributes + "/>";
}

struct Case {
    const char* name;
    std::string elements;
    int imageFormat;
    std::vector<std::string> expected;  // "place: element: problem", in English
};

std::vector<std::string> check(const std::string& elements, int imageFormat) {
    pugi::xml_document document;
    std::string xml = "<drawing imageformat=\"" + std::to_string(imageFormat) +
                      "\" width=\"300\" height=\"100\">" + elements + "</drawing>";
    document.load_string(xml.c_str());
    CDrawing drawing(nullptr, nullptr);
    drawing.LoadFromXml(document.child("drawing"));
    std::vector<std::string> lines;
    for (const LayoutFinding& finding : CheckLayout(drawing)) {
        lines.push_back(std::to_string(finding.element) + ": " +
                        DescribeElement(*drawing.Elements()[finding.element],
                                        finding.isReading ? "" : finding.text) +
                        ": " + DescribeProblem(finding));
    }
    return lines;
}

class LayoutCheckTest : public testing::Test {
  protected:
    void SetUp() override {
        CSettings::Instance().SetLangID(1033);
        CSettings::Instance().SetWeatherFilePath(m_dir.filePath("currdat.lst").toStdString());
        writeFile(m_dir.filePath("currdat.lst").toStdString(),
                  "[outdoor_temperature]\ndeg_c=3.8\n[weather_tendency]\nnumber=0\n");
        CWeatherData::Instance().Reload();
    }
    QTemporaryDir m_dir;
};

TEST_F(LayoutCheckTest, FindsWhatDoesNotFit) {
    writeFile(m_dir.filePath("broken.png").toStdString(), "not a picture");
    std::string broken = m_dir.filePath("broken.png").toStdString();
    int tendency = std::max(textWidth("Steady", 12), textWidth("Rising", 12)) + 2;
    int storm = std::max(textWidth("Storm Warning!", 24), textWidth("Sturmwarnung!", 24)) + 1;
    ASSERT_GT(textWidth("Alerte tempête !", 24), storm + 1);
    int temperature = textWidth("3.8 °C", 12) + 2;
    ASSERT_GT(textWidth("-12.5 °C", 12), temperature + 2);
    const Case cases[] = {
        {"clean",
         textElement("textsimple", 80, "text=\"Fits\"") +
             textElement("texttendency", 80,
                         "text_0=\"Up\" text_1=\"Down\" "
                         "text_2=\"Even\"") +
             "<line left=\"0\" top=\"99\" right=\"299\" bottom=\"99\"/><imageweather left=\"200\" "
             "top=\"0\" right=\"250\" bottom=\"50\"/>",
         4,
         {}},
        {"tendency",
         textElement("texttendency", tendency,
                     "text_0=\"Steady\" text_1=\"Rising\" text_2=\"Falling fast\""),
         4,
         {"1: Tendency text at 10, 10 \"Falling fast\": cut off at the right (tendency falling)"}},
        {"temperature",
         textElement("textdata", temperature, "datatype=\"3\" format=\"0\""),
         4,
         {"1: Weather data text at 10, 10 \"3.8 °C\": cut off at the right (reading -49.9 °C)"}},
        {"storm in French",
         textElement("textstormwarning", storm, "text_0=\"Storm Warning!\"", 24),
         4,
         {"1: Storm warning text at 10, 10 \"Alerte tempête !\": cut off at the right (storm "
          "alarm, in French)"}},
        {"pictures",
         "<imagesimple left=\"10\" top=\"10\" right=\"58\" bottom=\"58\" "
         "imagefile=\"/no/such.png\"/>"
         "<imagestormwarning left=\"100\" top=\"10\" right=\"148\" bottom=\"58\" imagefile_0=\"" +
             broken + "\"/>",
         4,
         {"1: Picture at 10, 10 \"/no/such.png\": picture file missing: /no/such.png",
          "2: Storm warning picture at 100, 10 \"" + broken +
              "\": picture file cannot be read: " + broken + " (storm alarm)"}},
        {"outside and hidden",
         "<line left=\"290\" top=\"50\" right=\"350\" bottom=\"50\"/>"
         "<textsimple left=\"400\" top=\"10\" right=\"450\" bottom=\"40\" text=\"x\"/>" +
             textElement("textsimple", 60, "text=\"Below\"") +
             "<textsimple left=\"0\" top=\"0\" right=\"100\" bottom=\"50\" bkcolor=\"255\" "
             "text=\" \"/>",
         4,
         {"1: Line at 290, 50: partly outside the image",
          "2: Text at 400, 10 \"x\": outside the image",
          "3: Text at 10, 10 \"Below\": always hidden under Text at 0, 0"}},
        {"small JPEG text",
         textElement("textsimple", 80, "text=\"tiny\"", 5),
         3,
         {"1: Text at 10, 10 \"tiny\": text smaller than 8 pixels in a JPEG image"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(check(c.elements, c.imageFormat), c.expected) << c.name;
    }
}

TEST_F(LayoutCheckTest, ExamplesAreClean) {
    for (ExampleDrawing& example : loadExampleDrawings()) {
        std::vector<std::string> lines;
        for (const LayoutFinding& finding : CheckLayout(*example.drawing)) {
            lines.push_back(
                DescribeElement(*example.drawing->Elements()[finding.element], finding.text) +
                ": " + DescribeProblem(finding));
        }
        EXPECT_EQ(lines, std::vector<std::string>()) << example.name;
    }
}

}  // namespace
