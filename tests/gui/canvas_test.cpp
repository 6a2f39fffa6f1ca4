#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include "base/settings.h"
#include "gui/canvas/canvas_view.h"
#include "gui/canvas/drawing_snapshot.h"
#include "gui/canvas/rect_tracker.h"
#include "gui/canvas/tracker_geometry.h"
#include "gui/widgets/message_box.h"
#include "profiles/profile.h"

namespace {

TEST(TrackerGeometry, HandlesSnappingAspectAndShifting) {
    EXPECT_EQ(RectHandleMask({0, 0, 16, 16}), 0x0Fu);
    // Wider than three handle sizes by more than 4 pixels: top and bottom handles too.
    EXPECT_EQ(RectHandleMask({0, 0, 17, 16}), 0x0Fu | 1u << kTop | 1u << kBottom);
    EXPECT_EQ(RectHandleMask({0, 0, 16, 17}), 0x0Fu | 1u << kLeft | 1u << kRight);
    EXPECT_EQ(RectHandleMask({0, 0, 100, 10}), 0x0Fu | 1u << kTop | 1u << kBottom);
    EXPECT_EQ(RectHandleMask({0, 0, 10, 100}), 0x0Fu | 1u << kLeft | 1u << kRight);
    CRect r{10, 10, 110, 60};
    EXPECT_EQ(HandleAt(r, RectHandleMask(r), 50, 30), kInside);
    EXPECT_EQ(HandleAt(r, RectHandleMask(r), 112, 62), kBottomRight);
    EXPECT_EQ(HandleAt(r, RectHandleMask(r), 300, 300), kNoHandle);
    EXPECT_EQ(DraggedRect(r, kInside, 5, -5), (CRect{15, 5, 115, 55}));
    EXPECT_EQ(DraggedRect(r, kLeft, 5, 99), (CRect{15, 10, 110, 60}));

    // Snapping at 10 pixels: the moved element's left edge meets the other's right edge.
    CDrawing drawing(nullptr, nullptr, 400, 300);
    drawing.AddTextSimple()->SetRect({100, 100, 200, 150});
    CDrawObj* moving = drawing.AddTextSimple();
    EXPECT_EQ(SnapRect(kInside, {205, 110, 255, 130}, 10, drawing, moving),
              (CRect{200, 110, 250, 130}));
    // Far from everything but the image border: nothing moves.
    EXPECT_EQ(SnapRect(kInside, {250, 170, 300, 190}, 10, drawing, moving),
              (CRect{250, 170, 300, 190}));
    // Near the image border: it snaps to the border.
    EXPECT_EQ(SnapRect(kRight, {250, 170, 394, 190}, 10, drawing, moving),
              (CRect{250, 170, 400, 190}));

    // Pictures keep their ratio, anchored at the corner opposite the handle.
    EXPECT_DOUBLE_EQ(AspectRatio({0, 0, 100, 30}), 3.333);
    EXPECT_EQ(AdjustRect(kRight, {10, 10, 130, 60}, 2.0), (CRect{10, 10, 130, 70}));
    EXPECT_EQ(AdjustRect(kTopLeft, {0, 20, 110, 60}, 2.0), (CRect{30, 20, 110, 60}));
    EXPECT_EQ(AdjustRect(kBottomLeft, {0, 10, 100, 40}, 2.0), (CRect{40, 10, 100, 40}));
    EXPECT_EQ(AdjustRect(kInside, {0, 10, 100, 40}, 2.0), (CRect{0, 10, 100, 40}));

    // The trackers: a line shows its end points, in whichever direction it runs, and a drag
    // at a handle moves that end; a picture's drag keeps its ratio.
    struct LineCase {
        CRect line;
        int startCorner, endCorner;
    };
    for (const LineCase& test : {LineCase{{10, 10, 110, 60}, kTopLeft, kBottomRight},
                                 LineCase{{10, 60, 110, 10}, kBottomLeft, kTopRight},
                                 LineCase{{110, 10, 10, 60}, kTopRight, kBottomLeft},
                                 LineCase{{110, 60, 10, 10}, kBottomRight, kTopLeft}}) {
        CLineTracker line(test.line, CRectTracker::kResizeOutside, false, &drawing, moving);
        EXPECT_EQ(line.GetHandleMask(), 1u << test.startCorner | 1u << test.endCorner);
        CRect start = HandleSquare(test.line, test.startCorner);
        CRect end = HandleSquare(test.line, test.endCorner);
        EXPECT_EQ(line.HitTest(start.left + 1, start.top + 1), kTopLeft);
        EXPECT_EQ(line.HitTest(end.left + 1, end.top + 1), kBottomRight);
        CRect moved = line.Track(kTopLeft, test.line, 3, 4, 0);
        EXPECT_EQ(moved, (CRect{test.line.left + 3, test.line.top + 4, test.line.right,
                                test.line.bottom}));
    }
    CRectTracker picture({10, 10, 110, 60}, CRectTracker::kResizeOutside, false, &drawing, moving);
    picture.SetKeepAspect(2.0);
    EXPECT_EQ(picture.Track(kRight, {10, 10, 110, 60}, 20, 0, 10), (CRect{10, 10, 130, 70}));
    EXPECT_EQ(picture.HitTest(112, 62), kBottomRight);

    // Back into the image: bottom, top, left, right in that order.
    EXPECT_EQ(ShiftIntoImage({350, 280, 450, 330}, 400, 300), (CRect{300, 250, 400, 300}));
    EXPECT_EQ(ShiftIntoImage({-20, 10, 30, 400}, 400, 300), (CRect{0, 0, 50, 390}));
    EXPECT_EQ(ShiftIntoImage({450, 330, 350, 280}, 400, 300), (CRect{300, 250, 400, 300}));
}

class CanvasTest : public testing::Test {
  protected:
    void SetUp() override {
        CSettings::Instance().SetLangID(1033);
        CSettings::Instance().SetSnapElements(0);
        m_profile.GetDrawing()->SetWidth(400);
        m_profile.GetDrawing()->SetHeight(300);
        m_canvas.ShowImage(&m_profile, false);
        m_canvas.show();
        CMessageBox::Shown().clear();
    }
    // The widget's point of the image's pixel.
    static QPoint at(int x, int y) { return {x + CCanvasView::kMargin, y + CCanvasView::kMargin}; }
    void drag(QPoint imageFrom, QPoint imageTo, bool escape = false) {
        QPoint from = imageFrom + at(0, 0);
        QPoint to = imageTo + at(0, 0);
        QTest::mousePress(&m_canvas, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, to, m_canvas.mapToGlobal(to), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&m_canvas, &move);
        if (escape) {
            QTest::keyClick(&m_canvas, Qt::Key_Escape);
        }
        QTest::mouseRelease(&m_canvas, Qt::LeftButton, {}, to);
    }

    CProfile m_profile{"Canvas", nullptr};
    CCanvasView m_canvas;
};

TEST_F(CanvasTest, InsertDragEscapeAndTheKeyboard) {
    CDrawObj* text = m_canvas.Insert(313);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetRect(), (CRect{10, 265, 110, 290}));
    EXPECT_EQ(m_canvas.Selected(), text);
    EXPECT_EQ(m_canvas.TrackerRect(), text->GetRect());
    EXPECT_EQ(m_canvas.Insert(315)->GetRect(), (CRect{10, 265, 160, 290}));
    m_canvas.RemoveSelected();
    EXPECT_EQ(m_canvas.Insert(281)->GetRect(), (CRect{10, 289, 110, 290}));
    m_canvas.RemoveSelected();
    m_canvas.Select(text);

    // Dragged out past the bottom-right corner, it comes back inside.
    drag({50, 275}, {450, 475});
    EXPECT_EQ(text->GetRect(), (CRect{300, 275, 400, 300}));
    // Escape during a drag leaves it where it was.
    drag({350, 285}, {100, 100}, true);
    EXPECT_EQ(text->GetRect(), (CRect{300, 275, 400, 300}));

    QTest::keyClick(&m_canvas, Qt::Key_Left);
    EXPECT_EQ(text->GetRect(), (CRect{299, 275, 399, 300}));
    QTest::keyClick(&m_canvas, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(text->GetRect(), (CRect{299, 265, 399, 290}));
    QTest::keyClick(&m_canvas, Qt::Key_Right, Qt::ShiftModifier);  // kept inside the image
    EXPECT_EQ(text->GetRect(), (CRect{300, 265, 400, 290}));
    size_t before = m_profile.GetDrawing()->Elements().size();
    QTest::keyClick(&m_canvas, Qt::Key_Delete);
    EXPECT_EQ(m_profile.GetDrawing()->Elements().size(), before - 1);
    EXPECT_EQ(m_canvas.Selected(), m_profile.GetDrawing()->GetBackground());

    // A click where nothing lies selects the background: no tracker.
    QTest::mouseClick(&m_canvas, Qt::LeftButton, {}, at(200, 50));
    EXPECT_EQ(m_canvas.Selected(), m_profile.GetDrawing()->GetBackground());
    EXPECT_EQ(m_canvas.TrackerRect(), CRect{});
}

TEST_F(CanvasTest, PicturesKeepTheirRatioAndSnappingMakesEdgesMeet) {
    CDrawObj* picture = m_canvas.Insert(232);
    picture->SetRect({10, 10, 110, 60});
    m_canvas.Select(picture);
    // The right handle: the height follows the width, anchored top-left.
    drag({113, 35}, {133, 35});
    EXPECT_EQ(picture->GetRect(), (CRect{10, 10, 130, 70}));
    // A picture file fitted other than stretched is resized freely.
    auto* fitted = static_cast<CDrawImageSimple*>(m_canvas.Insert(203));
    fitted->SetFit(PictureFit::Fit);
    fitted->SetRect({200, 150, 300, 200});
    m_canvas.Select(fitted);
    drag({303, 175}, {323, 175});
    EXPECT_EQ(fitted->GetRect(), (CRect{200, 150, 320, 200}));

    CSettings::Instance().SetSnapElements(1);
    CSettings::Instance().SetSnapOffset(10);
    CDrawObj* text = m_canvas.Insert(202);
    text->SetRect({200, 30, 300, 55});
    m_canvas.Select(text);
    // Moved so that its left edge comes within 10 pixels of the picture's right edge.
    drag({250, 40}, {187, 40});
    EXPECT_EQ(text->GetRect(), (CRect{130, 30, 230, 55}));
}

TEST(CanvasZoom, ALargeImageFitsAndEditsInImagePixelsAtEveryZoom) {
    CSettings::Instance().SetSnapElements(0);
    CProfile profile{"Zoomed", nullptr};
    profile.GetDrawing()->SetWidth(4096);
    profile.GetDrawing()->SetHeight(2048);
    QScrollArea host;
    auto* canvas = new CCanvasView;
    host.setWidget(canvas);
    host.resize(600, 400);
    host.show();
    canvas->ShowImage(&profile, false);
    // Fitted, never below 25 %: scroll bars show the rest.
    EXPECT_DOUBLE_EQ(canvas->Zoom(), 0.25);
    EXPECT_EQ(canvas->width(), 1024 + 2 * CCanvasView::kMargin);
    QCoreApplication::processEvents();
    EXPECT_TRUE(host.horizontalScrollBar()->isVisible());

    CDrawObj* text = canvas->Insert(202);
    text->SetRect({100, 100, 300, 150});
    canvas->SetZoom(0.5);
    canvas->Select(text);
    // The widget's point of an image pixel at 50 %.
    auto screen = [](int x, int y) {
        return QPoint(x / 2 + CCanvasView::kMargin, y / 2 + CCanvasView::kMargin);
    };
    auto drag = [canvas](QPoint from, QPoint by) {
        QTest::mousePress(canvas, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, from + by, canvas->mapToGlobal(from + by), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas, &move);
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, from + by);
    };
    // 30 screen pixels right and 10 down move it by twice that in the image.
    drag(screen(200, 120), {30, 10});
    EXPECT_EQ(text->GetRect(), (CRect{160, 120, 360, 170}));
    // The right handle keeps its size on the screen: 4 pixels there, 8 in the image.
    drag(screen(362, 144), {10, 0});
    EXPECT_EQ(text->GetRect(), (CRect{160, 120, 380, 170}));

    // Ctrl+wheel steps, within 25 % and 400 %.
    auto wheel = [canvas](int delta, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(QPointF(20, 20), canvas->mapToGlobal(QPointF(20, 20)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(canvas, &event);
    };
    wheel(120, Qt::ControlModifier);
    EXPECT_NEAR(canvas->Zoom(), 2.0 / 3, 1e-9);
    wheel(120, Qt::NoModifier);
    EXPECT_NEAR(canvas->Zoom(), 2.0 / 3, 1e-9);
    for (int i = 0; i < 12; ++i) {
        canvas->ZoomIn();
    }
    EXPECT_DOUBLE_EQ(canvas->Zoom(), 4.0);
    for (int i = 0; i < 12; ++i) {
        wheel(-120, Qt::ControlModifier);
    }
    EXPECT_DOUBLE_EQ(canvas->Zoom(), 0.25);
    canvas->FitToWindow();
    EXPECT_DOUBLE_EQ(canvas->Zoom(), 0.25);
    // A small image is never enlarged to fit.
    profile.GetDrawing()->SetWidth(200);
    profile.GetDrawing()->SetHeight(100);
    canvas->ShowImage(&profile, false);
    EXPECT_DOUBLE_EQ(canvas->Zoom(), 1.0);
}

TEST_F(CanvasTest, ALivePictureShowsTheNewestSnapshotFetchedInTheBackground) {
    QTemporaryDir dir;
    QString path = dir.filePath("snap.png");
    QImage snapshot(40, 40, QImage::Format_RGB32);
    snapshot.fill(Qt::red);
    ASSERT_TRUE(snapshot.save(path));
    CDrawImageSimple* picture = m_profile.GetDrawing()->AddImageSimple();
    picture->SetLive(true);
    picture->SetImageFile(0, path.toStdString());
    picture->SetRect({50, 50, 150, 150});
    m_canvas.ShowImage(&m_profile, false);
    auto shown = [&] { return QColor(m_canvas.grab().toImage().pixel(at(100, 100))); };
    EXPECT_EQ(shown(), QColor(Qt::red));
    snapshot.fill(Qt::green);
    ASSERT_TRUE(snapshot.save(path));
    // Showing the image fetches at once; the timer does so every 30 s after.
    m_canvas.ShowImage(&m_profile, false);
    QTRY_COMPARE_WITH_TIMEOUT(shown(), QColor(Qt::green), 5000);
}

TEST_F(CanvasTest, TheContextMenuOpensOnARightClickAlone) {
    CDrawObj* text = m_canvas.Insert(202);
    int shown = 0;
    m_canvas.SetMenuRunner([&](QMenu& menu, const QPoint&) {
        ++shown;
        // The last command is Remove.
        return menu.actions().back();
    });
    QPoint inside = at(50, 275);
    QMouseEvent both(QEvent::MouseButtonPress, inside, m_canvas.mapToGlobal(inside),
                     Qt::RightButton, Qt::LeftButton | Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&m_canvas, &both);
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(m_profile.GetDrawing()->Contains(text));
    QTest::mousePress(&m_canvas, Qt::RightButton, {}, inside);
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(m_profile.GetDrawing()->Contains(text));
}

// Handles at the image's edge are shown whole; one covered by another element is no handle:
// the cursor and the click both go to the element on top.
TEST_F(CanvasTest, HandlesAtTheEdgeAndUnderAnotherElement) {
    CDrawObj* below = m_canvas.Insert(202);
    below->SetRect({0, 100, 100, 150});
    CDrawObj* above = m_canvas.Insert(202);
    above->SetRect({101, 151, 200, 200});
    m_canvas.Select(below);
    QImage shown = m_canvas.grab().toImage();
    EXPECT_EQ(shown.pixelColor(at(-2, 98)), QColor(Qt::black));  // the top-left handle

    QPoint covered = at(102, 152);  // the bottom-right handle of the one below
    QMouseEvent move(QEvent::MouseMove, covered, m_canvas.mapToGlobal(covered), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&m_canvas, &move);
    EXPECT_EQ(m_canvas.cursor().shape(), Qt::ArrowCursor);
    QTest::mouseClick(&m_canvas, Qt::LeftButton, {}, covered);
    EXPECT_EQ(m_canvas.Selected(), above);
}

TEST_F(CanvasTest, AnActiveImageAsksBeforeEditing) {
    m_canvas.ShowImage(&m_profile, true);
    size_t elements = m_profile.GetDrawing()->Elements().size();
    CMessageBox::AnswerNext(QMessageBox::No);
    QTest::mouseClick(&m_canvas, Qt::LeftButton, {}, at(20, 20));
    CMessageBox::AnswerNext(QMessageBox::No);
    EXPECT_EQ(m_canvas.Insert(202), nullptr);
    EXPECT_THAT(CMessageBox::Shown(),
                testing::Each(testing::StartsWith("The image is activated. Only deactivated")));
    EXPECT_EQ(CMessageBox::Shown().size(), 2u);
    EXPECT_EQ(m_profile.GetDrawing()->Elements().size(), elements);
}

TEST(DrawingSnapshot, RestoringGivesBackTheSameXml) {
    CDrawing drawing(nullptr, nullptr, 300, 200);
    drawing.AddTextData()->SetRect({5, 6, 70, 40});
    drawing.AddLine();
    std::string saved = DrawingXml(drawing);
    drawing.AddImageWeather();
    drawing.SetWidth(250);
    RestoreDrawing(drawing, saved);
    EXPECT_EQ(DrawingXml(drawing), saved);
    EXPECT_EQ(drawing.Elements().size(), 3u);
}

}  // namespace
