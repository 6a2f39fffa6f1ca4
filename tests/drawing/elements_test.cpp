#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "base/app_message.h"
#include "base/settings.h"
#include "drawing/drawing.h"
#include "support/recording_view.h"
#include "weather/weather_data.h"

void PrintTo(const CRect& r, std::ostream* out) {
    *out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

std::string writePicture(const QTemporaryDir& dir, int width, int height) {
    std::string path = dir.filePath(QString("%1x%2.png").arg(width).arg(height)).toStdString();
    QImage picture(width, height, QImage::Format_ARGB32);
    picture.fill(Qt::blue);
    picture.save(QString::fromStdString(path));
    return path;
}

TEST(Elements, NewElementsHaveTheirDefaults) {
    CDrawTextSimple text;
    EXPECT_EQ(text.GetText(), "Text...");
    EXPECT_EQ(text.GetFontName(), "Arial");
    EXPECT_EQ(text.GetFontSize(), 12);
    EXPECT_FALSE(text.GetFontBold() || text.GetFontItalic() || text.GetFontUnderline());
    EXPECT_EQ(text.GetTextColor(), kBlack);
    EXPECT_EQ(text.GetBkColor(), kNoColour);
    EXPECT_EQ(text.GetBorderWidth(), 0);
    EXPECT_EQ(text.GetHorizontalAlignment(), 1);
    EXPECT_EQ(text.GetVerticalAlignment(), 1);
    EXPECT_EQ(text.GetPadding(), 3);
    EXPECT_EQ(text.GetRect(), (CRect{0, 0, 50, 60}));
    EXPECT_EQ(text.GetFont().pixelSize(), 16);
    text.SetFontSize(10);
    EXPECT_EQ(text.GetFont().pixelSize(), 13);
    text.SetFont(std::string(40, 'F'), 12, true, true, true);
    EXPECT_EQ(text.GetFont().family().size(), 31);
    EXPECT_EQ(text.GetFont().weight(), QFont::Bold);
    EXPECT_TRUE(text.GetFont().italic() && text.GetFont().underline());

    CDrawLine line;
    EXPECT_EQ(line.GetBkColor(), kBlack);
    EXPECT_EQ(line.GetBorderWidth(), 1);

    CDrawBackground background;
    background.SetBkColor(kNoColour);
    EXPECT_EQ(background.GetBkColor(), kWhite);

    CSettings::Instance().SetLangID(1033);
    CDrawTextWeather weather;
    EXPECT_EQ(weather.GetStateText(0), "Rainy");
    EXPECT_EQ(weather.GetStateText(1), "Fluctuating");
    EXPECT_EQ(weather.GetStateText(2), "Sunny");
    CDrawTextTendency tendency;
    EXPECT_EQ(tendency.GetStateText(1), "Raising");
    EXPECT_EQ(CDrawTextStormWarning().GetStateText(0), "Storm Warning!");
    EXPECT_EQ(weather.DefaultStateText(5), "");
}

TEST(Elements, PicturesGiveTheRectangleTheirAspectRatio) {
    QTemporaryDir dir;
    CDrawImageSimple image;
    EXPECT_EQ(image.GetRect(), (CRect{0, 0, 50, 50}));  // the 48 × 48 placeholder
    image.SetImageFile(0, writePicture(dir, 400, 200));
    EXPECT_EQ(image.GetRect(), (CRect{0, 0, 50, 25}));
    image.SetRect({5, 5, 55, 55});
    image.SetImageFile(0, writePicture(dir, 100, 400));
    EXPECT_EQ(image.GetRect(), (CRect{5, 5, 18, 55}));

    // A missing file shows the built-in picture and keeps the user's path.
    image.SetImageFile(0, dir.filePath("gone.png").toStdString());
    EXPECT_EQ(image.GetImageFile(0), dir.filePath("gone.png").toStdString());
    EXPECT_EQ(image.GetRect().Width(), image.GetRect().Height());

    CDrawImageWeather weather;
    weather.SetRect({0, 0, 100, 100});
    weather.SetImageFile(1, writePicture(dir, 400, 200));
    EXPECT_EQ(weather.GetRect(), (CRect{0, 0, 100, 50}));
    // The same path again loads nothing, so the rectangle stays as the user left it.
    weather.SetRect({0, 0, 100, 100});
    weather.SetImageFile(1, weather.GetImageFile(1));
    EXPECT_EQ(weather.GetRect(), (CRect{0, 0, 100, 100}));
    EXPECT_EQ(weather.Slot(1).Picture().width(), 400);
}

TEST(Elements, DataTypeAndFormatRules) {
    CDrawTextData data;
    EXPECT_EQ(data.GetDataType(), 3);
    data.SetFormat(1);
    data.SetDataType(3);
    EXPECT_EQ(data.GetFormat(), 1);
    data.SetDataType(9);
    EXPECT_EQ(data.GetFormat(), 0);
    data.SetFormat(3);
    EXPECT_EQ(data.GetText().substr(data.GetText().size() - 4), " bft");
}

TEST(Elements, GeometryRules) {
    CDrawLine line;
    line.SetRect({10, 20, 110, 20});
    EXPECT_TRUE(line.HitTest(50, 19));
    EXPECT_TRUE(line.HitTest(50, 20));
    EXPECT_FALSE(line.HitTest(50, 21));
    EXPECT_FALSE(line.HitTest(111, 20));
    EXPECT_TRUE(line.HitTest(110, 20));
    EXPECT_FALSE(line.Intersects({0, 0, 5, 5}));

    CDrawing drawing(nullptr, nullptr, 300, 200);
    CDrawTextSimple* text = drawing.AddTextSimple();
    text->SetRect({10, 10, 60, 40});
    EXPECT_TRUE(text->Intersects({50, 30, 100, 100}));
    // Moving keeps the size and the element inside the drawing.
    EXPECT_EQ(text->ConstrainRect({-20, 5, 30, 35}, false), (CRect{0, 5, 50, 35}));
    EXPECT_EQ(text->ConstrainRect({280, 190, 330, 220}, false), (CRect{250, 170, 300, 200}));
    // An unmoved top-left corner means the bottom-right one was dragged: the rest follows it.
    EXPECT_EQ(text->ConstrainRect({10, 10, 400, 300}, false), (CRect{250, 170, 300, 200}));
    EXPECT_EQ(text->ConstrainRect({230, 170, 320, 210}, false), (CRect{230, 170, 280, 200}));
    // Resizing by the bottom-right corner cuts at the drawing's edge and never inverts.
    EXPECT_EQ(text->ConstrainRect({10, 10, 500, 500}, true), (CRect{10, 10, 300, 200}));
    EXPECT_EQ(text->ConstrainRect({10, 10, 5, 2}, true), (CRect{10, 10, 10, 10}));
    EXPECT_EQ(text->ConstrainRect({10, 10, 60, 40}, true), (CRect{10, 10, 60, 40}));
    // Resizing by the top-left corner.
    EXPECT_EQ(text->ConstrainRect({350, 250, 60, 40}, true), (CRect{60, 40, 60, 40}));
    EXPECT_EQ(CDrawTextSimple().ConstrainRect({-5, -5, 900, 900}, false),
              (CRect{-5, -5, 900, 900}));
}

TEST(Drawing, AddRemoveFindAndMinimumSize) {
    RecordingView view;
    CDrawing drawing(&view, nullptr);
    EXPECT_EQ(drawing.GetBackground()->GetRect(), (CRect{0, 0, 400, 400}));
    EXPECT_EQ(drawing.AddLine()->GetRect(), (CRect{10, 389, 110, 390}));
    EXPECT_EQ(drawing.AddTextData()->GetRect(), (CRect{10, 365, 110, 390}));
    EXPECT_EQ(drawing.AddTextStormWarning()->GetRect(), (CRect{10, 365, 160, 390}));
    EXPECT_EQ(drawing.AddImageWeather()->GetRect(), (CRect{10, 340, 60, 390}));
    CDrawImageSimple* image = drawing.AddImageSimple();
    EXPECT_EQ(image->GetRect(), (CRect{10, 340, 60, 390}));
    EXPECT_EQ(drawing.Elements().size(), 6u);

    EXPECT_EQ(drawing.FindElementAt(30, 370), image);
    EXPECT_EQ(drawing.FindElementAt(300, 10), drawing.GetBackground());
    CRect overlap;
    EXPECT_EQ(drawing.FindOverlapping({0, 0, 20, 350}, image, &overlap),
              drawing.Elements()[4].get());
    EXPECT_EQ(overlap, (CRect{10, 340, 20, 350}));

    EXPECT_EQ(drawing.GetMinWidth(), 160);
    EXPECT_EQ(drawing.GetMinHeight(), 390);
    image->SetRect({0, 0, 900, 30});
    EXPECT_EQ(drawing.GetMinWidth(), 900);
    image->SetRect({0, 0, 5000, 30});
    EXPECT_EQ(drawing.GetMinWidth(), 4096);

    EXPECT_FALSE(drawing.RemoveElement(drawing.GetBackground()));
    CDrawTextSimple stranger;
    EXPECT_FALSE(drawing.RemoveElement(&stranger));
    EXPECT_TRUE(drawing.RemoveElement(image));
    EXPECT_FALSE(drawing.Contains(image));
    EXPECT_EQ(drawing.Elements().size(), 5u);

    // A picture load tells the view that the rectangle changed; a redraw asks it to repaint.
    QTemporaryDir dir;
    drawing.AddImageSimple()->SetImageFile(0, writePicture(dir, 20, 10));
    drawing.GetBackground()->Redraw();
    QCoreApplication::processEvents();
    ASSERT_GE(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[view.messages.size() - 2], kElementChanged);
    EXPECT_EQ(view.messages.back(), kRedrawRequest);

    CDrawing small(nullptr, nullptr, 100, 80);
    EXPECT_EQ(small.GetMinWidth(), 60);
    EXPECT_EQ(small.GetMinHeight(), 50);
    small.SetWidth(120);
    EXPECT_EQ(small.GetBackground()->GetRect(), (CRect{0, 0, 120, 80}));
}

}  // namespace
