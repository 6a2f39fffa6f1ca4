#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include "base/settings.h"
#include "drawing/draw_text_state.h"
#include "gui/panes/draw_obj_properties.h"
#include "gui/panes/element_panes.h"
#include "gui/panes/picture_panes.h"
#include "gui/widgets/colour_button.h"
#include "gui/widgets/colour_palette.h"
#include "profiles/profile.h"

namespace {

class PanesTest : public testing::Test {
  protected:
    void SetUp() override {
        CSettings::Instance().SetLangID(1033);
        m_drawing->SetWidth(400);
        m_drawing->SetHeight(300);
        m_panes.show();
    }
    template <class T>
    T* find(const char* name) {
        // The shown one: each kind's pane has its own controls of the same names.
        for (T* control : m_panes.findChildren<T*>(name)) {
            if (control->isVisible()) {
                return control;
            }
        }
        return nullptr;
    }
    // Picks "Automatic" on the colour button, as the user does through its palette.
    void pickAutomatic(const char* button) {
        CColorButton* colour = find<CColorButton>(button);
        QTest::mouseClick(colour, Qt::LeftButton);
        ASSERT_NE(colour->Palette(), nullptr);
        colour->Palette()->PickAutomatic();
    }
    void show(CDrawObj* element) { m_panes.ShowObject(element, &m_profile, false); }

    CProfile m_profile{"Panes", nullptr};
    CDrawing* m_drawing = m_profile.GetDrawing();
    CDrawObjProperties m_panes;
};

TEST_F(PanesTest, AutomaticMeansBlackTheDefaultOrNoColour) {
    CDrawText* text = m_drawing->AddTextSimple();
    text->SetTextColor(0x0000FF);
    text->SetBkColor(0x00FF00);
    text->SetBorderColor(0xFF0000);
    show(text);
    pickAutomatic("textColour");
    EXPECT_EQ(text->GetTextColor(), kBlack);
    pickAutomatic("bkColour");
    EXPECT_EQ(text->GetBkColor(), kNoColour);
    CColorButton* border = find<CColorButton>("borderColour");
    pickAutomatic("borderColour");
    EXPECT_EQ(text->GetBorderColor(), border->GetDefaultColour());
    // The background has no transparent state: Automatic is white there.
    show(m_drawing->GetBackground());
    pickAutomatic("bkColour");
    EXPECT_EQ(m_drawing->GetBackground()->GetBkColor(), kWhite);
}

TEST_F(PanesTest, EveryKindShowsItsPaneAndItsStateTexts) {
    std::vector<CDrawObj*> kinds{
        m_drawing->GetBackground(),       m_drawing->AddLine(),
        m_drawing->AddTextSimple(),       m_drawing->AddTextData(),
        m_drawing->AddTextWeather(),      m_drawing->AddTextTendency(),
        m_drawing->AddTextStormWarning(), m_drawing->AddImageSimple(),
        m_drawing->AddImageWeather(),     m_drawing->AddImageWeatherTendency(),
        m_drawing->AddImageStormWarning()};
    // Each one after every other: a pane never reads a state the element does not have.
    for (CDrawObj* first : kinds) {
        for (CDrawObj* second : kinds) {
            show(first);
            show(second);
        }
    }
    auto* storm = static_cast<CDrawTextStormWarning*>(kinds[6]);
    show(storm);
    QLineEdit* text = find<QLineEdit>("storm");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text().toStdString(), storm->GetStateText(0));
    text->clear();
    QTest::keyClicks(text, "Gale!");
    EXPECT_EQ(storm->GetStateText(0), "Gale!");
}

TEST_F(PanesTest, ALineShowsLineAndWidthOnly) {
    show(m_drawing->AddLine());
    EXPECT_EQ(find<QGroupBox>("bkGroup")->title(), "Line");
    EXPECT_EQ(find<QGroupBox>("borderGroup")->title(), "Width");
    EXPECT_EQ(find<CColorButton>("borderColour"), nullptr);  // hidden
    EXPECT_EQ(find<QComboBox>("font"), nullptr);
    EXPECT_EQ(find<QLineEdit>("path"), nullptr);
    show(m_drawing->AddTextSimple());
    EXPECT_EQ(find<QGroupBox>("bkGroup")->title(), "Background");
    EXPECT_NE(find<CColorButton>("borderColour"), nullptr);
}

TEST_F(PanesTest, SizeLimitsFontSizeAndUpdate) {
    show(m_drawing->GetBackground());
    QSpinBox* width = find<QSpinBox>("width");
    EXPECT_EQ(width->minimum(), 60);
    EXPECT_EQ(find<QSpinBox>("height")->minimum(), 50);
    CDrawText* text = m_drawing->AddTextSimple();
    text->SetRect({10, 10, 300, 40});
    show(m_drawing->GetBackground());
    EXPECT_EQ(width->minimum(), 300);
    EXPECT_EQ(width->maximum(), 4096);
    // A larger image than the editor makes shows its real size.
    m_drawing->SetWidth(5000);
    m_drawing->SetHeight(4500);
    show(m_drawing->GetBackground());
    EXPECT_EQ(width->value(), m_drawing->GetWidth());
    EXPECT_EQ(find<QSpinBox>("height")->value(), m_drawing->GetHeight());
    m_drawing->SetWidth(400);
    m_drawing->SetHeight(300);
    show(m_drawing->GetBackground());
    width->setValue(100);  // held at the element's right edge
    EXPECT_EQ(m_drawing->GetWidth(), 300);
    // Typed, it counts once complete, not at each digit.
    width->selectAll();
    QTest::keyClicks(width, "350");
    EXPECT_EQ(m_drawing->GetWidth(), 300);
    QTest::keyClick(width, Qt::Key_Return);
    EXPECT_EQ(m_drawing->GetWidth(), 350);
    width->selectAll();
    QTest::keyClicks(width, "4096");
    QTest::keyClick(width, Qt::Key_Return);
    EXPECT_EQ(m_drawing->GetWidth(), 4096);
    find<QRadioButton>("png")->click();
    EXPECT_EQ(m_drawing->GetImageFormat(), 4);

    show(text);
    QComboBox* size = find<QComboBox>("size");
    size->lineEdit()->clear();
    QTest::keyClicks(size->lineEdit(), "12");
    EXPECT_EQ(text->GetFontSize(), 12);
    QTest::keyClicks(size->lineEdit(), "x");  // "12x" reads as 12
    EXPECT_EQ(text->GetFontSize(), 12);

    // Move with Left -20: at the left border, the width kept.
    QLineEdit* left = find<QLineEdit>("left");
    left->setText("-20");
    find<QPushButton>("update")->click();
    EXPECT_EQ(text->GetRect(), (CRect{0, 10, 290, 40}));
    EXPECT_EQ(left->text(), "0");
}

TEST_F(PanesTest, PicturePathsReloadAsEachKindWants) {
    CDrawImage* simple = m_drawing->AddImageSimple();
    simple->SetRect({10, 10, 110, 60});  // not the picture's ratio
    show(simple);
    QLineEdit* path = find<QLineEdit>("path");
    QTest::keyClick(path, Qt::Key_Return);  // unchanged: the plain picture reloads, ratio back
    EXPECT_EQ(simple->GetRect().Width(), simple->GetRect().Height());
    EXPECT_EQ(find<QLineEdit>("right")->text(), QString::number(simple->GetRect().right));

    CDrawImage* weather = m_drawing->AddImageWeather();
    weather->SetRect({10, 10, 110, 60});
    show(weather);
    path = find<QLineEdit>("path");
    QTest::keyClick(path, Qt::Key_Return);  // unchanged: nothing happens
    EXPECT_EQ(weather->GetRect(), (CRect{10, 10, 110, 60}));
}

// A picture of another ratio resizes the element, and the rectangle fields show the new size.
TEST_F(PanesTest, TheRectangleFieldsFollowAPictureOfAnotherRatio) {
    QTemporaryDir folder;
    QString wide = folder.filePath("wide.png");
    QImage picture(200, 50, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(wide));
    const std::vector<CDrawImage*> kinds{m_drawing->AddImageSimple(), m_drawing->AddImageWeather(),
                                         m_drawing->AddImageWeatherTendency(),
                                         m_drawing->AddImageStormWarning()};
    for (CDrawImage* image : kinds) {
        image->SetRect({10, 20, 110, 120});
        show(image);
        QLineEdit* path = find<QLineEdit>("path");
        path->clear();
        QTest::keyClicks(path, wide);
        QTest::keyClick(path, Qt::Key_Return);
        EXPECT_EQ(image->GetRect(), (CRect{10, 20, 110, 45})) << image->Tag();
        std::vector<QString> shown;
        for (const char* field : {"left", "top", "right", "bottom"}) {
            shown.push_back(find<QLineEdit>(field)->text());
        }
        EXPECT_EQ(shown, (std::vector<QString>{"10", "20", "110", "45"})) << image->Tag();
    }
}

// Every field of a picture pane has its help, and no group shows one when help is switched off.
TEST(PicturePanes, HelpOnEveryFieldOnlyWhileItIsShown) {
    for (int shown : {1, 0}) {
        CSettings::Instance().SetShowTooltipHelp(shown);
        std::vector<std::unique_ptr<CPane>> panes;
        panes.push_back(std::make_unique<CImageSimpleProperties>());
        panes.push_back(std::make_unique<CImageWeatherProperties>());
        panes.push_back(std::make_unique<CImageWeatherTendencyProperties>());
        panes.push_back(std::make_unique<CImageStormWarningProperties>());
        for (const auto& pane : panes) {
            for (QWidget* field : pane->findChildren<QWidget*>()) {
                bool helped = qobject_cast<QGroupBox*>(field) != nullptr ||
                              field->objectName() == "path" || field->objectName() == "browse";
                if (helped) {
                    EXPECT_EQ(field->toolTip().isEmpty(), shown == 0)
                        << field->objectName().toStdString();
                }
            }
            for (auto* preview : pane->findChildren<QLabel*>("preview")) {
                EXPECT_FALSE(preview->pixmap().isNull());
            }
        }
    }
    CSettings::Instance().SetShowTooltipHelp(1);
}

}  // namespace

TEST_F(PanesTest, ThePictureFileIsFittedAndMadeLive) {
    CSettings::Instance().SetShowTooltipHelp(1);
    CDrawImageSimple* picture = m_drawing->AddImageSimple();
    show(picture);
    QCheckBox* live = find<QCheckBox>("live");
    QComboBox* fit = find<QComboBox>("fit");
    ASSERT_NE(live, nullptr);
    ASSERT_NE(fit, nullptr);
    EXPECT_EQ(live->text(), "Live picture (read anew for every export)");
    EXPECT_FALSE(live->toolTip().isEmpty());
    EXPECT_FALSE(fit->toolTip().isEmpty());
    EXPECT_EQ(fit->itemText(1), "Fit whole picture");
    // The age, leaving out and certificate count only for a live picture.
    EXPECT_FALSE(find<QSpinBox>("maxAge")->isEnabled());
    QTest::mouseClick(live, Qt::LeftButton);
    EXPECT_TRUE(picture->IsLive());
    QSpinBox* maxAge = find<QSpinBox>("maxAge");
    EXPECT_TRUE(maxAge->isEnabled());
    EXPECT_EQ(maxAge->value(), 600);
    maxAge->setValue(120);
    EXPECT_EQ(picture->GetMaxAge(), 120);
    QTest::mouseClick(find<QCheckBox>("optional"), Qt::LeftButton);
    EXPECT_TRUE(picture->IsOptional());
    fit->setCurrentIndex(2);
    EXPECT_EQ(picture->GetFit(), PictureFit::Fill);
    QLineEdit* caFile = find<QLineEdit>("caFile");
    caFile->setText("cam.pem");
    emit caFile->editingFinished();
    EXPECT_EQ(picture->GetCaFile(), "cam.pem");
    // Another element, and back: the pane shows each one's own settings.
    show(m_drawing->AddImageSimple());
    EXPECT_FALSE(find<QCheckBox>("live")->isChecked());
    EXPECT_EQ(find<QComboBox>("fit")->currentIndex(), 0);
    show(picture);
    EXPECT_TRUE(find<QCheckBox>("live")->isChecked());
    EXPECT_EQ(find<QSpinBox>("maxAge")->value(), 120);
}
