// The Check Layout window over an image list with a cut text: choosing the finding selects the
// element on the canvas and shows the state in which it fails.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include "base/settings.h"
#include "gui/canvas/canvas_view.h"
#include "gui/layoutcheck/layout_check_dialog.h"
#include "gui/layoutcheck/preview_bar.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/mainwindow/skyvane_view.h"
#include "support/test_files.h"
#include "weather/weather_data.h"

namespace {

TEST(LayoutCheckWindow, ChoosingAFindingSelectsItsElementInItsState) {
    QTemporaryDir dir;
    std::string examples = std::string(SKYVANE_SOURCE_DIR) + "/examples/";
    std::string list = readFile(examples + "data.xml");
    const std::string falling = "text_2=\"Falling\"";
    list.replace(list.find(falling), falling.size(), "text_2=\"Falling quickly and steadily\"");
    writeFile(dir.filePath("data.xml").toStdString(), list);
    writeFile(dir.filePath("logo.png").toStdString(), readFile(examples + "logo.png"));
    CSettings& settings = CSettings::Instance();
    settings.SetLangID(1033);
    settings.SetOpenedFile(dir.filePath("data.xml").toStdString());
    settings.SetWeatherFilePath(examples + "currdat.lst");
    CWeatherData::Instance().Reload();

    CMainFrame frame;
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    frame.View()->SelectRow(0);
    frame.Action(282)->trigger();
    CLayoutCheckDialog* window = frame.LayoutCheck();
    ASSERT_NE(window, nullptr);
    auto* findings = window->findChild<QListWidget*>("findings");
    ASSERT_EQ(findings->count(), 1);
    EXPECT_EQ(findings->item(0)->text().toStdString(),
              "Tendency text at 240, 184 \"Falling quickly and steadily\": cut off at the right "
              "(tendency falling)");

    QTest::mouseClick(findings->viewport(), Qt::LeftButton, {},
                      findings->visualItemRect(findings->item(0)).center());
    CCanvasView* canvas = frame.View()->Canvas();
    const LayoutFinding& finding = window->Findings()[0];
    EXPECT_EQ(canvas->Selected(), canvas->Drawing()->Elements()[finding.element].get());
    EXPECT_EQ(std::string(canvas->Selected()->Tag()), "texttendency");
    ASSERT_TRUE(frame.View()->PreviewBar()->State().has_value());
    EXPECT_EQ(frame.View()->PreviewBar()->State()->State(WeatherStateKind::WeatherTendency), 2);
    EXPECT_FALSE(window->findChild<QLabel*>("rendering")->pixmap().isNull());
}

}  // namespace
