#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <set>

#include "base/settings.h"
#include "export/image_codecs.h"
#include "export/image_file.h"
#include "export/image_file_name.h"
#include "support/example_drawings.h"
#include "weather/weather_data.h"

namespace {

QImage decoded(const CImageBuffer& file) {
    return QImage::fromData(file.Data(), static_cast<int>(file.Size()));
}

// The largest difference of one colour channel between the two images.
int largestDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            QRgb p = a.pixel(x, y);
            QRgb q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)),
                                std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return largest;
}

// The sampling factors of every component in the JPEG's start-of-frame segment.
std::vector<int> samplingFactors(const CImageBuffer& file) {
    const unsigned char* p = file.Data();
    for (size_t i = 2; i + 9 < file.Size(); ++i) {
        if (p[i] == 0xFF && p[i + 1] == 0xC0) {
            std::vector<int> factors;
            for (int c = 0; c < p[i + 9]; ++c) {
                factors.push_back(p[i + 11 + 3 * c]);
            }
            return factors;
        }
    }
    return {};
}

class ImageFileTest : public testing::Test {
  protected:
    void SetUp() override {
        CSettings::Instance().SetWeatherFilePath(kExamplesDir + "/currdat.lst");
        CSettings::Instance().SetLangID(1033);
        ASSERT_TRUE(CWeatherData::Instance().Reload());
    }
};

TEST_F(ImageFileTest, JpegAndPngAreTwentyFourBitFilesOfTheDrawing) {
    CDrawing drawing(nullptr, nullptr, 120, 90);
    drawing.GetBackground()->SetBkColor(0x3366CC);
    CDrawTextSimple* text = drawing.AddTextSimple();
    text->SetTextColor(0x0000FF);
    text->SetText("Red text");
    drawing.AddImageWeather();
    QImage rendered = RenderDrawing(drawing);

    CImageBuffer jpeg = RenderImage(drawing);
    ASSERT_GT(jpeg.Size(), 3u);
    EXPECT_EQ(std::vector<unsigned char>(jpeg.Data(), jpeg.Data() + 3),
              (std::vector<unsigned char>{0xFF, 0xD8, 0xFF}));
    EXPECT_EQ(samplingFactors(jpeg), (std::vector<int>{0x11, 0x11, 0x11}));
    QImage fromJpeg = decoded(jpeg);
    EXPECT_EQ(fromJpeg.size(), QSize(120, 90));
    EXPECT_FALSE(fromJpeg.hasAlphaChannel());
    EXPECT_LE(largestDifference(fromJpeg, rendered), 24);

    for (int format : {4, 0, 17}) {
        drawing.SetImageFormat(format);
        CImageBuffer png = RenderImage(drawing);
        ASSERT_GT(png.Size(), 26u);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(png.Data()), 8), "\x89PNG\r\n\x1A\n");
        EXPECT_EQ(png.Data()[24], 8);  // bit depth
        EXPECT_EQ(png.Data()[25], 2);  // colour type RGB, no alpha
        QImage fromPng = decoded(png);
        EXPECT_EQ(fromPng.size(), QSize(120, 90));
        EXPECT_EQ(largestDifference(fromPng, rendered), 0);
    }
}

TEST_F(ImageFileTest, FailuresAreErrorsNotEmptyFiles) {
    EXPECT_THROW(EncodeJpeg(QImage(), 100), std::runtime_error);
    EXPECT_THROW(EncodePng(QImage(10, 10, QImage::Format_Indexed8)), std::runtime_error);
    try {
        CDrawing empty(nullptr, nullptr, 0, 50);
        RenderImage(empty);
        FAIL() << "a drawing without pixels was encoded";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "The image has no valid size (0 x 50)");
    }
}

// Writes the example images where a person can look at them: build/example-images/.
TEST_F(ImageFileTest, ExampleImagesRender) {
    std::string outDir = std::string(SKYVANE_BINARY_DIR) + "/example-images";
    QDir().mkpath(QString::fromStdString(outDir));
    std::vector<ExampleDrawing> examples = loadExampleDrawings();
    ASSERT_EQ(examples.size(), 3u);
    EXPECT_EQ(examples[0].drawing->GetWidth(), 400);
    EXPECT_EQ(examples[1].drawing->GetHeight(), 120);
    EXPECT_EQ(examples[2].drawing->GetImageFormat(), 4);
    for (ExampleDrawing& example : examples) {
        QImage image = RenderDrawing(*example.drawing);
        EXPECT_TRUE(image.save(QString::fromStdString(outDir + "/" + example.name + ".png")));
        CImageBuffer file = RenderImage(*example.drawing);
        EXPECT_EQ(decoded(file).size(), image.size()) << example.name;
        // The PNG of every example holds exactly the rendered pixels.
        EXPECT_EQ(largestDifference(decoded(EncodePng(image)), image), 0) << example.name;
    }
    // Every kind is in the overview.
    std::set<std::string> tags;
    for (const auto& element : examples[0].drawing->Elements()) {
        tags.insert(element->Tag());
    }
    EXPECT_EQ(tags.size(), 11u);
}

}  // namespace

TEST(ImageFileName, EveryImageGetsAFileOfItsOwn) {
    std::set<std::string> taken;
    EXPECT_EQ(ImageFileName("Overview", kJpegFormat, taken), "Overview.jpg");
    EXPECT_EQ(ImageFileName("Overview", kJpegFormat, taken), "Overview (2).jpg");
    EXPECT_EQ(ImageFileName("Overview", 4, taken), "Overview.png");
    EXPECT_EQ(ImageFileName("a/b", kJpegFormat, taken), "a_b.jpg");
    EXPECT_EQ(ImageFileName("a_b", kJpegFormat, taken), "a_b (2).jpg");
    EXPECT_EQ(ImageFileName("Overview (2)", kJpegFormat, taken), "Overview (2) (2).jpg");
    EXPECT_EQ(ImageFileName("", kJpegFormat, taken), "Image.jpg");
    EXPECT_EQ(ImageFileName("..", kJpegFormat, taken), "Image (2).jpg");
    EXPECT_EQ(ImageFileName(std::string("x\0y", 3), kJpegFormat, taken), "x_y.jpg");
    // Long names are cut to 200 bytes, never inside a character ("ö" is two bytes).
    EXPECT_EQ(ImageFileName(std::string(300, 'x'), 4, taken), std::string(200, 'x') + ".png");
    std::string umlauts;
    for (int i = 0; i < 150; ++i) {
        umlauts += "\xC3\xB6";
    }
    std::string cut = ImageFileName("x" + umlauts, 4, taken);
    EXPECT_EQ(cut.size(), 199u + 4);
    EXPECT_EQ(cut.substr(cut.size() - 6), "\xC3\xB6.png");
    EXPECT_EQ(ImageFileName("x" + umlauts, 4, taken), cut.substr(0, 199) + " (2).png");
}
