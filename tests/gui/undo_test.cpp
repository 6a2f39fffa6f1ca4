#include <gtest/gtest.h>

#include <QAction>
#include <QTemporaryDir>
#include <QTest>

#include "base/settings.h"
#include "gui/canvas/canvas_view.h"
#include "gui/canvas/drawing_snapshot.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/mainwindow/skyvane_view.h"
#include "gui/panes/draw_obj_properties.h"
#include "gui/widgets/colour_button.h"
#include "gui/widgets/colour_palette.h"
#include "gui/widgets/file_dialog.h"
#include "profiles/profiles_file.h"

namespace {

TEST(UndoHistory, EveryChangeGoesBackAndForthExactly) {
    QTemporaryDir dir;
    std::string list = dir.filePath("undo.xml").toStdString();
    ProfileList images;
    images.push_back(std::make_unique<CProfile>("Undo", nullptr));
    images.push_back(std::make_unique<CProfile>("Other", nullptr));
    SaveProfilesFile(list, images);
    CSettings::Instance().SetLangID(1033);
    CSettings::Instance().SetOpenedFile(list);
    CMainFrame frame;
    frame.show();
    frame.View()->SelectRow(0);
    CCanvasView* canvas = frame.View()->Canvas();
    QAction* undo = frame.Action(421);
    QAction* redo = frame.Action(422);
    EXPECT_FALSE(undo->isEnabled());

    std::vector<std::string> states{DrawingXml(*canvas->Drawing())};
    frame.Action(202)->trigger();  // insert a text
    states.push_back(DrawingXml(*canvas->Drawing()));
    QTest::keyClick(canvas, Qt::Key_Up, Qt::ShiftModifier);  // move it
    states.push_back(DrawingXml(*canvas->Drawing()));
    QTest::keyClick(canvas, Qt::Key_Delete);  // remove it
    states.push_back(DrawingXml(*canvas->Drawing()));
    EXPECT_TRUE(frame.isWindowModified());
    for (int i = 3; i > 0; --i) {
        ASSERT_TRUE(undo->isEnabled());
        undo->trigger();
        EXPECT_EQ(DrawingXml(*canvas->Drawing()), states[static_cast<size_t>(i - 1)]);
        if (i == 2) {  // the move undone: the moved text stays selected
            EXPECT_EQ(canvas->Selected(), canvas->Drawing()->Elements().back().get());
        }
    }
    EXPECT_FALSE(undo->isEnabled());
    for (int i = 1; i <= 3; ++i) {
        redo->trigger();
        EXPECT_EQ(DrawingXml(*canvas->Drawing()), states[static_cast<size_t>(i)]);
    }

    // A colour picked in the Properties tab is one step too.
    std::string beforeColour = DrawingXml(*canvas->Drawing());
    CColorButton* colour = nullptr;
    for (CColorButton* button :
         frame.View()->Properties()->findChildren<CColorButton*>("bkColour")) {
        colour = button;
    }
    ASSERT_NE(colour, nullptr);
    QTest::mouseClick(colour, Qt::LeftButton);
    ASSERT_NE(colour->Palette(), nullptr);
    colour->Palette()->PickBox(17);
    std::string afterColour = DrawingXml(*canvas->Drawing());
    EXPECT_NE(afterColour, beforeColour);
    undo->trigger();
    EXPECT_EQ(DrawingXml(*canvas->Drawing()), beforeColour);
    redo->trigger();
    EXPECT_EQ(DrawingXml(*canvas->Drawing()), afterColour);

    // Each image has a history of its own.
    frame.View()->SelectRow(1);
    EXPECT_FALSE(undo->isEnabled());
    frame.View()->SelectRow(0);
    EXPECT_TRUE(undo->isEnabled());

    // Another list ends the history.
    frame.Action(57603)->trigger();
    CFileDialog::AnswerNext(QString::fromStdString(list));
    frame.Action(250)->trigger();
    frame.View()->SelectRow(0);
    EXPECT_FALSE(undo->isEnabled());
}

}  // namespace
