#include <gtest/gtest.h>

#include <QFontInfo>
#include <QPainter>
#include <QTemporaryDir>

#include "base/settings.h"
#include "drawing/drawing.h"
#include "drawing/painter_canvas.h"
#include "support/test_files.h"
#include "weather/weather_data.h"

namespace {

QImage render(CDrawing& drawing, int designMode) {
    QImage image(drawing.GetWidth(), drawing.GetHeight(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    CPainterCanvas canvas(painter, image.width(), image.height());
    drawing.Draw(canvas, designMode);
    return image;
}

bool isDark(QRgb pixel) {
    return qGray(pixel) < 128;
}

// The smallest rectangle holding every dark pixel; empty when there is none.
QRect inkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (isDark(image.pixel(x, y))) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

class RenderTest : public testing::Test {
  protected:
    void SetUp() override {
        m_path = m_dir.filePath("currdat.lst").toStdString();
        CSettings::Instance().SetWeatherFilePath(m_path);
        CSettings::Instance().SetLangID(1033);
        weather("[storm_alarm]\nnumber=0\n[weather_tendency]\nnumber=1\n");
    }
    void weather(const std::string& text) {
        writeFile(m_path, text);
        ASSERT_TRUE(CWeatherData::Instance().Reload());
    }
    QTemporaryDir m_dir;
    std::string m_path;
};

TEST_F(RenderTest, FillBorderAndLines) {
    CDrawing drawing(nullptr, nullptr, 100, 80);
    drawing.GetBackground()->SetBkColor(0x00FF00);  // green
    drawing.GetBackground()->SetBorderWidth(3);
    drawing.GetBackground()->SetBorderColor(0x0000FF);  // red
    CDrawTextSimple* box = drawing.AddTextSimple();
    box->SetText("");
    box->SetRect({20, 20, 40, 30});
    box->SetBkColor(0xFF0000);  // blue
    CDrawLine* line = drawing.AddLine();
    line->SetRect({50, 40, 90, 40});
    line->SetBorderWidth(0);

    QImage image = render(drawing, 0);
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(2, 40), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(3, 40), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(99, 79), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(96, 76), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(20, 20), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(39, 29), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(40, 29), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(39, 30), qRgb(0, 255, 0));
    // A width of 0 draws one pixel wide, from end point to end point.
    EXPECT_EQ(image.pixel(50, 40), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(90, 40), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(70, 39), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(70, 41), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(49, 40), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(91, 40), qRgb(0, 255, 0));

    line->SetBorderWidth(5);
    line->SetBkColor(0);
    image = render(drawing, 0);
    EXPECT_EQ(image.pixel(70, 38), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(70, 41), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(70, 45), qRgb(0, 255, 0));
}

TEST_F(RenderTest, TextStaysInsideBorderAndPadding) {
    CDrawing drawing(nullptr, nullptr, 200, 100);
    CDrawTextSimple* text = drawing.AddTextSimple();
    text->SetRect({10, 10, 110, 35});
    text->SetBorderWidth(1);
    text->SetBorderColor(0xFFFFFF);  // white, so only text is dark
    text->SetText("WWWWWWWWWWWWWWWWWWWWWWWW");
    text->SetFontSize(30);
    QImage image = render(drawing, 0);
    QRect ink = inkBox(image);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_EQ(ink.left(), 14);
    EXPECT_EQ(ink.top(), 14);
    EXPECT_EQ(ink.right(), 105);
    EXPECT_EQ(ink.bottom(), 30);
    EXPECT_EQ(QFontInfo(text->GetFont()).family(), "Liberation Sans");

    // Top alignment keeps several lines; middle draws one line.
    text->SetRect({0, 0, 200, 100});
    text->SetBorderWidth(0);
    text->SetFontSize(10);
    text->SetText("Line\nLine");
    text->SetVerticalAlignment(0);
    int twoLines = inkBox(render(drawing, 0)).height();
    text->SetVerticalAlignment(1);
    int oneLine = inkBox(render(drawing, 0)).height();
    EXPECT_GT(twoLines, oneLine * 3 / 2);
}

TEST_F(RenderTest, AmpersandsAreMnemonics) {
    CDrawing drawing(nullptr, nullptr, 200, 60);
    CDrawTextSimple* text = drawing.AddTextSimple();
    text->SetRect({0, 0, 200, 60});
    text->SetHorizontalAlignment(0);
    text->SetFontSize(20);
    auto inkFor = [&](const std::string& s) {
        text->SetText(s);
        return inkBox(render(drawing, 0));
    };
    QRect plain = inkFor("AB");
    QRect mnemonic = inkFor("A&B");
    QRect escaped = inkFor("A&&B");
    // Same letters, and an underline under the B below the baseline.
    EXPECT_EQ(mnemonic.left(), plain.left());
    EXPECT_GT(mnemonic.bottom(), plain.bottom());
    EXPECT_GT(escaped.width(), plain.width() + 8);
    EXPECT_EQ(escaped.bottom(), plain.bottom());
}

TEST_F(RenderTest, WeatherElementsFollowTheStatesAndTheMode) {
    CDrawing drawing(nullptr, nullptr, 200, 200);
    CDrawImageStormWarning* storm = drawing.AddImageStormWarning();
    storm->SetRect({0, 0, 100, 100});
    CDrawTextTendency* tendency = drawing.AddTextTendency();
    tendency->SetRect({0, 150, 200, 200});
    CDrawTextData* data = drawing.AddTextData();
    data->SetDataType(10);  // rain of the last hour

    QImage design = render(drawing, 1);
    QImage exported = render(drawing, 0);
    EXPECT_NE(design.pixel(50, 30), qRgb(255, 255, 255));
    EXPECT_EQ(exported.pixel(50, 30), qRgb(255, 255, 255));
    EXPECT_EQ(tendency->GetText(), "Raising");

    weather("[storm_alarm]\nnumber=1\n[weather_tendency]\nnumber=2\n[rain_1h]\nmm=7.5\n");
    exported = render(drawing, 0);
    EXPECT_EQ(exported.pixel(50, 30), design.pixel(50, 30));
    EXPECT_EQ(tendency->GetText(), "Falling");
    EXPECT_EQ(data->GetText(), "7.5 mm");

    // An unknown state draws nothing at all, not even the fill.
    tendency->SetBkColor(0x0000FF);
    weather("[weather_tendency]\nnumber=7\n");
    EXPECT_EQ(render(drawing, 0).pixel(100, 175), qRgb(255, 255, 255));
}

TEST_F(RenderTest, TransparentPicturesAreFlattenedOnlyWhenExporting) {
    QImage picture(20, 20, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x) {
            picture.setPixel(x, y, qRgba(0, 0, 255, 255));
        }
    }
    std::string path = m_dir.filePath("half.png").toStdString();
    ASSERT_TRUE(picture.save(QString::fromStdString(path)));

    CDrawing drawing(nullptr, nullptr, 100, 100);
    drawing.GetBackground()->SetBkColor(0x0000FF);  // red below
    CDrawImageSimple* image = drawing.AddImageSimple();
    image->SetImageFile(0, path);
    image->SetRect({0, 0, 40, 40});

    // No colour of its own: the lower half shows what lies below, in both modes.
    EXPECT_EQ(render(drawing, 0).pixel(20, 30), qRgb(255, 0, 0));
    EXPECT_EQ(render(drawing, 1).pixel(20, 30), qRgb(255, 0, 0));
    EXPECT_EQ(render(drawing, 0).pixel(20, 5), qRgb(0, 0, 255));

    image->SetBkColor(0xFFFFFF);
    image->SetBorderWidth(2);
    image->SetBorderColor(0x00FF00);
    QImage exported = render(drawing, 0);
    EXPECT_EQ(exported.pixel(20, 30), qRgb(255, 255, 255));
    EXPECT_EQ(exported.pixel(0, 20), qRgb(0, 255, 0));  // border over the picture
    EXPECT_EQ(exported.pixel(20, 5), qRgb(0, 0, 255));
    EXPECT_EQ(render(drawing, 1).pixel(20, 30), qRgb(255, 255, 255));
}

TEST_F(RenderTest, UnusablePictureFilesFallBackToTheBuiltInOne) {
    QImage builtin = LoadBuiltinPicture(304);
    ASSERT_EQ(builtin.size(), QSize(48, 48));
    EXPECT_TRUE(builtin.hasAlphaChannel());
    for (int id : {300, 301, 302, 305, 306, 307, 308}) {
        QImage large = LoadBuiltinPicture(id);
        EXPECT_EQ(large.size(), QSize(400, 400)) << id;
        EXPECT_EQ(qAlpha(large.pixel(0, 0)), 0) << id;
    }

    std::string notAPicture = m_dir.filePath("notes.png").toStdString();
    writeFile(notAPicture, "this is no picture");
    EXPECT_EQ(LoadPicture(notAPicture, 304), builtin);
    EXPECT_EQ(LoadPicture(m_dir.filePath("missing.jpg").toStdString(), 304), builtin);

    // A PNG header announcing 20000 × 20000 pixels is refused before decoding.
    std::string huge = m_dir.filePath("huge.png").toStdString();
    const unsigned char header[] = {0x89, 'P',  'N', 'G', '\r', '\n', 0x1A, '\n', 0,    0,    0,
                                    13,   'I',  'H', 'D', 'R',  0,    0,    0x4E, 0x20, 0,    0,
                                    0x4E, 0x20, 8,   6,   0,    0,    0,    0x5B, 0x2B, 0x0A, 0x4C};
    writeFile(huge, std::string(reinterpret_cast<const char*>(header), sizeof header));
    EXPECT_EQ(LoadPicture(huge, 304), builtin);
}

}  // namespace
