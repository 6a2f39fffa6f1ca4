// The colour button and its palette driven with mouse and keyboard, with the "More Colors..."
// dialog answered in advance.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include "base/settings.h"
#include "drawing/painter_canvas.h"
#include "gui/widgets/colour_button.h"

namespace {

using testing::ElementsAre;

class ColourButton : public testing::Test {
  protected:
    void SetUp() override {
        CSettings::Instance().SetLangID(1033);
        CColorButton::MoreColorsShown().clear();
        m_button.move(100, 100);
        m_button.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_button));
    }
    CColourPalette* open() {
        QTest::mouseClick(&m_button, Qt::LeftButton);
        return m_button.Palette();
    }
    // How many of the button's pixels show colour.
    int pixelsOf(Colour colour) {
        QImage image = m_button.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QRgb wanted = qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                count += image.pixel(x, y) == wanted;
            }
        }
        return count;
    }

    CColorButton m_button;
    QSignalSpy m_picked{&m_button, &CColorButton::colourPicked};
};

TEST(ColourPalette, FortyNamedColoursInTheirOrder) {
    const auto& colours = PaletteColours();
    ASSERT_EQ(colours.size(), 40u);
    EXPECT_EQ(colours[0].name, "Black");
    EXPECT_EQ(colours[0].colour, 0u);
    EXPECT_EQ(colours[1].colour, 0x00002AA5u);  // Brown A52A00
    EXPECT_EQ(colours[9].name, "Orange");
    EXPECT_EQ(colours[9].colour, 0x002068FFu);
    EXPECT_EQ(colours[16].name, "Red");
    EXPECT_EQ(colours[16].colour, 0x000000FFu);
    EXPECT_EQ(colours[35].name, "Pale green ");
    EXPECT_EQ(colours[35].colour, 0x0098FB98u);
    EXPECT_EQ(colours[39].name, "White");
    EXPECT_EQ(colours[39].colour, 0x00FFFFFFu);
}

TEST_F(ColourButton, AClickOpensThePaletteUnderTheButtonWithTheColourMarked) {
    EXPECT_EQ(m_button.GetColour(), kNoColour);
    EXPECT_EQ(toQColor(m_button.GetDefaultColour()).rgb(),
              m_button.palette().color(QPalette::Dark).rgb());
    CColourPalette* palette = open();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->geometry().topLeft(), m_button.mapToGlobal(QPoint(0, m_button.height())));
    EXPECT_EQ(palette->MarkedBox(), CColourPalette::kAutomaticBox);

    QPoint pale = palette->BoxRect(36).center();
    QHelpEvent help(QEvent::ToolTip, pale, palette->mapToGlobal(pale));
    QApplication::sendEvent(palette, &help);
    EXPECT_EQ(QToolTip::text(), "Pale green ");
    QToolTip::hideText();
}

TEST_F(ColourButton, APickedColourIsStoredAndReportedOnlyWhenItChanges) {
    open()->PickBox(17);
    EXPECT_EQ(m_button.Palette(), nullptr);
    EXPECT_EQ(m_button.GetColour(), 0x000000FFu);
    ASSERT_EQ(m_picked.size(), 1);
    EXPECT_EQ(m_picked[0][0].value<Colour>(), 0x000000FFu);
    EXPECT_GT(pixelsOf(0x000000FF), 200);

    CColourPalette* palette = open();
    EXPECT_EQ(palette->MarkedBox(), 17);
    palette->PickBox(17);
    EXPECT_EQ(m_picked.size(), 1);

    // With the mouse: a click on box 14.
    palette = open();
    QTest::mouseClick(palette, Qt::LeftButton, {}, palette->BoxRect(14).center());
    EXPECT_EQ(m_button.GetColour(), 0x00FF0000u);
    EXPECT_EQ(m_picked.size(), 2);
}

TEST_F(ColourButton, ArrowKeysMoveTheMarkAndEnterPicks) {
    m_button.SetColour(0x000000FF);
    CColourPalette* palette = open();
    std::vector<int> marks;
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Down, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up,
                        Qt::Key_Left, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down,
                        Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Right}) {
        QTest::keyClick(palette, key);
        marks.push_back(palette->MarkedBox());
    }
    EXPECT_THAT(marks, ElementsAre(18, 26, 18, 10, 2, 0, 0, 1, 9, 17, 25, 33, 41, 33, 34));
    QTest::keyClick(palette, Qt::Key_Return);
    EXPECT_EQ(m_button.Palette(), nullptr);
    EXPECT_EQ(m_button.GetColour(), 0x008CB4D2u);  // Tan D2B48C
    EXPECT_EQ(m_picked.size(), 1);
}

TEST_F(ColourButton, AutomaticPaintsTheDefaultColour) {
    m_button.SetColour(0x000000FF);
    m_button.SetDefaultColour(0x00336699);
    EXPECT_EQ(pixelsOf(0x00336699), 0);
    open()->PickAutomatic();
    EXPECT_EQ(m_button.GetColour(), kNoColour);
    ASSERT_EQ(m_picked.size(), 1);
    EXPECT_EQ(m_picked[0][0].value<Colour>(), kNoColour);
    EXPECT_GT(pixelsOf(0x00336699), 200);
    EXPECT_EQ(pixelsOf(0x000000FF), 0);
}

// Read-only (an active image's pane), the colour still shows, greyed towards the window's.
TEST_F(ColourButton, ADisabledButtonShowsItsColourGreyed) {
    m_button.SetColour(0x000000FF);
    m_button.setEnabled(false);
    QColor window = m_button.palette().color(QPalette::Window);
    Colour greyed = static_cast<Colour>(((0xFF + window.red()) / 2) | (window.green() / 2) << 8 |
                                        (window.blue() / 2) << 16);
    EXPECT_GT(pixelsOf(greyed), 200);
    EXPECT_EQ(pixelsOf(0x000000FF), 0);
}

TEST_F(ColourButton, MoreColorsTakesTheAnswerAndKeepsTheCustomColoursOnlyOnOk) {
    CSettings& settings = CSettings::Instance();
    for (int i = 0; i < 16; ++i) {
        settings.SetCustomColor(i, 0x010101 * i);
    }
    m_button.SetColour(0x00FF0000);
    CColorButton::AnswerMoreColorsNext(QColor(0x12, 0x34, 0x56), {QColor(1, 2, 3)});
    open()->PickMoreColors();
    EXPECT_THAT(CColorButton::MoreColorsShown(), ElementsAre(QColor(0, 0, 0xFF)));
    EXPECT_EQ(m_button.GetColour(), 0x00563412u);
    EXPECT_EQ(m_picked.size(), 1);
    EXPECT_EQ(settings.GetCustomColor(0), 0x030201u);  // added in the dialog
    EXPECT_EQ(settings.GetCustomColor(5), 0x050505u);  // as read from the settings
    EXPECT_EQ(settings.GetCustomColor(15), 0x0F0F0Fu);

    CColorButton::AnswerMoreColorsNext(QColor(), {QColor(9, 9, 9)});
    open()->PickMoreColors();
    EXPECT_EQ(CColorButton::MoreColorsShown().back(), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(m_button.GetColour(), 0x00563412u);
    EXPECT_EQ(m_picked.size(), 1);
    EXPECT_EQ(settings.GetCustomColor(0), 0x030201u);
}

TEST_F(ColourButton, EscapeOrAClickOutsideClosesThePaletteWithoutAChange) {
    m_button.SetColour(0x0000FFFF);
    QTest::keyClick(open(), Qt::Key_Escape);
    EXPECT_EQ(m_button.Palette(), nullptr);
    QTest::mouseClick(open(), Qt::LeftButton, {}, QPoint(-20, -20));
    EXPECT_EQ(m_button.Palette(), nullptr);
    EXPECT_EQ(m_button.GetColour(), 0x0000FFFFu);
    EXPECT_EQ(m_picked.size(), 0);
}

}  // namespace
