#include <gtest/gtest.h>

#include <sstream>

#include "drawing/drawing.h"
#include "drawing/element_factory.h"

namespace {

std::string saved(const CDrawing& drawing) {
    pugi::xml_document document;
    pugi::xml_node node = document.append_child("drawing");
    drawing.SaveToXml(node);
    std::ostringstream out;
    document.save(out, "", pugi::format_raw | pugi::format_no_declaration);
    return out.str();
}

std::unique_ptr<CDrawing> loaded(const std::string& xml) {
    pugi::xml_document document;
    EXPECT_TRUE(document.load_string(xml.c_str()));
    auto drawing = std::make_unique<CDrawing>(nullptr, nullptr);
    drawing->LoadFromXml(document.child("drawing"));
    return drawing;
}

TEST(DrawingXml, NewDrawingIsWrittenInTheFixedOrder) {
    CDrawing drawing(nullptr, nullptr);
    EXPECT_EQ(saved(drawing),
              "<drawing imageformat=\"3\" width=\"400\" height=\"400\"><background left=\"0\" "
              "top=\"0\" bottom=\"400\" right=\"400\" bkcolor=\"16777215\" borderwidth=\"0\" "
              "bordercolor=\"0\"/></drawing>");
    drawing.AddImageSimple();
    drawing.AddTextSimple();
    std::string xml = saved(drawing);
    EXPECT_NE(xml.find("<imagesimple imagefile=\"\" left=\"10\" top=\"340\" bottom=\"390\" "
                       "right=\"60\" bkcolor=\"-16777216\""),
              std::string::npos);
    EXPECT_NE(xml.find("<textsimple left=\"10\" top=\"365\" bottom=\"390\" right=\"110\" "
                       "bkcolor=\"-16777216\" borderwidth=\"0\" bordercolor=\"0\" text=\"Text...\" "
                       "textcolor=\"0\" fontname=\"Arial\" fontsize=\"12\" fontbold=\"false\" "
                       "fontitalic=\"false\" fontunderline=\"false\" horizontalalignment=\"1\" "
                       "verticalalignment=\"1\" padding=\"3\"/>"),
              std::string::npos);
}

TEST(DrawingXml, EveryKindSurvivesASaveAndLoad) {
    const std::string awkward =
        "Quote \" amp & lt < gt > apos '\nline two \xC3\xA4\xC3\xB6\xE2\x82\xAC";
    CDrawing original(nullptr, nullptr, 320, 240);
    original.SetImageFormat(4);
    original.GetBackground()->SetBkColor(0x112233);
    original.GetBackground()->SetBorderWidth(2);
    original.GetBackground()->SetBorderColor(0x445566);
    CDrawLine* line = original.AddLine();
    line->SetRect({300, 5, 10, 200});
    line->SetBorderWidth(4);
    CDrawTextSimple* text = original.AddTextSimple();
    text->SetText(awkward);
    text->SetFont("Liberation Serif", 17, true, false, true);
    text->SetTextColor(0xABCDEF);
    text->SetHorizontalAlignment(2);
    text->SetVerticalAlignment(0);
    text->SetPadding(7);
    text->SetBkColor(0x010203);
    CDrawTextData* data = original.AddTextData();
    data->SetDataType(9);
    data->SetFormat(3);
    original.AddTextWeather()->SetStateText(2, awkward);
    original.AddTextTendency()->SetStateText(0, "steady & calm");
    original.AddTextStormWarning()->SetStateText(0, "Storm <now>");
    original.AddImageSimple()->SetImageFile(0, "pictures/my \"logo\" & more.png");
    original.AddImageWeather()->SetImageFile(2, "sun.png");
    original.AddImageWeatherTendency()->SetImageFile(1, "/abs/up.png");
    original.AddImageStormWarning()->SetImageFile(0, "storm.gif");
    CDrawImageSimple* camera = original.AddImageSimple();
    camera->SetLive(true);
    camera->SetMaxAge(90);
    camera->SetOptional(true);
    camera->SetFit(PictureFit::Fill);
    camera->SetCaFile("cam.pem");
    camera->SetImageFile(0, "https://user:pw@cam.example/snap.jpg");

    std::string xml = saved(original);
    EXPECT_NE(xml.find("<imagesimple imagefile=\"https://user:pw@cam.example/snap.jpg\" live=\"1\" "
                       "maxage=\"90\" optional=\"1\" fit=\"fill\" cafile=\"cam.pem\" left="),
              std::string::npos);
    std::unique_ptr<CDrawing> copy = loaded(xml);
    EXPECT_EQ(saved(*copy), xml);

    ASSERT_EQ(copy->Elements().size(), original.Elements().size());
    for (size_t i = 0; i < copy->Elements().size(); ++i) {
        EXPECT_STREQ(copy->Elements()[i]->Tag(), original.Elements()[i]->Tag());
        EXPECT_EQ(copy->Elements()[i]->GetOwner(), copy.get());
    }
    auto* textCopy = dynamic_cast<CDrawTextSimple*>(copy->Elements()[2].get());
    ASSERT_NE(textCopy, nullptr);
    EXPECT_EQ(textCopy->GetText(), awkward);
    EXPECT_EQ(textCopy->GetFont().pixelSize(), 96 * 17 * 10 / 720);
    EXPECT_EQ(copy->GetImageFormat(), 4);
    EXPECT_EQ(copy->GetBackground()->GetBkColor(), 0x112233u);
    auto* weather = dynamic_cast<CDrawTextWeather*>(copy->Elements()[4].get());
    ASSERT_NE(weather, nullptr);
    EXPECT_EQ(weather->GetStateText(2), awkward);
    EXPECT_EQ(weather->GetStateText(0), "Rainy");
    auto* image = dynamic_cast<CDrawImage*>(copy->Elements()[7].get());
    EXPECT_EQ(image->GetImageFile(0), "pictures/my \"logo\" & more.png");
}

TEST(DrawingXml, ReadingRules) {
    std::unique_ptr<CDrawing> drawing = loaded(
        "<drawing width=\"300\" height=\"abc\">"
        "<background right=\"500\" bottom=\"9\" bkcolor=\"-16777216\"/>"
        "<textsimple fontbold=\"yes\" fontitalic=\"no\" fontunderline=\"0\" fontsize=\"\" "
        "left=\" +12xyz\" top=\"-99999999999\" right=\"99999999999\"/>"
        "<textsimple fontbold=\"True\" fontitalic=\"1\" fontunderline=\"y\"/>"
        "<!-- a comment --><futureelement left=\"1\"/>"
        "<textdata datatype=\"9\" format=\"3\"/>"
        "<textweather text_0=\"wet\"/>"
        "</drawing>");
    EXPECT_EQ(drawing->GetWidth(), 300);
    EXPECT_EQ(drawing->GetHeight(), 0);
    EXPECT_EQ(drawing->GetBackground()->GetRect(), (CRect{0, 0, 300, 0}));
    EXPECT_EQ(drawing->GetBackground()->GetBkColor(), kWhite);
    EXPECT_EQ(drawing->GetImageFormat(), 3);
    // The unknown element is skipped and the rest still loads.
    ASSERT_EQ(drawing->Elements().size(), 5u);
    auto* first = dynamic_cast<CDrawText*>(drawing->Elements()[1].get());
    EXPECT_TRUE(first->GetFontBold());
    EXPECT_FALSE(first->GetFontItalic() || first->GetFontUnderline());
    EXPECT_EQ(first->GetFontSize(), 12);
    EXPECT_EQ(first->GetRect(), (CRect{12, INT_MIN, INT_MAX, 0}));
    auto* second = dynamic_cast<CDrawText*>(drawing->Elements()[2].get());
    EXPECT_TRUE(second->GetFontBold() && second->GetFontItalic() && second->GetFontUnderline());
    auto* data = dynamic_cast<CDrawTextData*>(drawing->Elements()[3].get());
    EXPECT_EQ(data->GetDataType(), 9);
    EXPECT_EQ(data->GetFormat(), 3);
    EXPECT_EQ(data->GetText().substr(data->GetText().size() - 3), "bft");
    auto* weather = dynamic_cast<CDrawTextWeather*>(drawing->Elements()[4].get());
    EXPECT_EQ(weather->GetStateText(0), "wet");
    EXPECT_EQ(weather->GetStateText(1), "");

    EXPECT_THROW(CElementFactory::Instance().CreateObject("Background"), std::runtime_error);
}

}  // namespace
