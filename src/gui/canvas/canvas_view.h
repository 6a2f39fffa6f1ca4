// The canvas: the selected image's drawing at a zoom (fitted into the window when it is larger),
// the selected element with its tracker, moving and resizing with the mouse in image pixels
// (with snapping and kept aspect ratios), the insert commands, Remove and the stack order from
// the context menu, and the keyboard.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "drawing/drawing.h"
#include "drawing/preview_state.h"
#include "gui/canvas/canvas_zoom.h"
#include "gui/canvas/live_refresh.h"
#include "gui/canvas/rect_tracker.h"

class CProfile;
class QMenu;
class QAction;

class CCanvasView : public QWidget {
    Q_OBJECT
  public:
    // Room around the image for the handles of an element at its edge; the image's pixel
    // (x, y) is the widget's (x × zoom + kMargin, y × zoom + kMargin).
    static constexpr int kMargin = kHandleSize;

    explicit CCanvasView(QWidget* parent = nullptr);
    ~CCanvasView() override;

    // Shows the image's drawing (none for null) and selects its background; read-only while
    // the image is active.
    void ShowImage(CProfile* profile, bool readOnly);
    CProfile* Profile() const { return m_profile; }
    CDrawing* Drawing() const { return m_drawing; }
    bool IsReadOnly() const { return m_readOnly; }

    // Selects the element (the background for null); a tracker for all but the background.
    void Select(CDrawObj* element, bool keepTab = false);
    // The background becomes the selected element; no notice.
    void Deselect();
    CDrawObj* Selected() const { return m_selected; }
    // The tracker's rectangle; empty when there is no tracker.
    CRect TrackerRect() const { return m_tracker ? m_tracker->Rect() : CRect{}; }

    // One of the ten insert commands, by its command id; the new element is selected.
    CDrawObj* Insert(unsigned commandId);
    // Removes the selected element (never the background).
    void RemoveSelected();
    // Puts the selected element on top of all others, or just above the background.
    void BringToFront();
    void SendToBack();

    // Re-reads the selected element's rectangle after a pane changed it.
    void ElementChanged();

    // Paints the image as it is exported under the state instead of the editor's view; none
    // goes back to the editor's view.
    void SetPreviewState(const std::optional<PreviewState>& state);
    // The screen pixels per image pixel, kMinZoom to kMaxZoom.
    double Zoom() const { return m_zoom; }
    // Shows the image at that zoom (clamped) and no longer fits it to the window.
    void SetZoom(double zoom);
    void ZoomIn() { SetZoom(ZoomInStep(m_zoom)); }
    void ZoomOut() { SetZoom(ZoomOutStep(m_zoom)); }
    // Fits the image into the window from now on, never beyond 100 %.
    void FitToWindow();
    // The image pixel under a point of the widget.
    QPoint ToImage(const QPointF& at) const;

    // Tests: runs the context menu instead of showing it; returns the command chosen.
    using MenuRunner = std::function<QAction*(QMenu& menu, const QPoint& at)>;
    void SetMenuRunner(MenuRunner runner) { m_menuRunner = std::move(runner); }

  signals:
    // The zoom changed.
    void zoomChanged(double zoom);
    // The selected element changed; keepTab asks the main view to leave the tab as it is.
    void selectionChanged(CDrawObj* element, bool keepTab);
    // The drawing is about to change; changed follows when it has.
    void aboutToChange();
    void changed();
    // A click while read-only: the user may want to deactivate the image to edit it.
    void editWhileActiveRequested();

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Sizes the widget for the zoom (the fitted one while fitting) and repaints.
    void ApplyZoom();
    // In a host smaller than the image, brings the selected element into view.
    void ShowSelected();
    void MakeTracker();
    void ShowContextMenu(const QPoint& at);
    // Stores the rectangle (kept inside the image unless it is a line) and selects again.
    void ApplyRect(CRect rect);
    void UpdateCursor(const QPoint& at);
    // A picture that is stretched and not live keeps its ratio while it is resized.
    bool KeepsAspectRatio(const CDrawObj* element) const;
    int StackIndex(const CDrawObj* element) const;

    CProfile* m_profile = nullptr;
    CDrawing* m_drawing = nullptr;
    CDrawObj* m_selected = nullptr;
    bool m_readOnly = false;

    std::unique_ptr<CRectTracker> m_tracker;

    bool m_tracking = false;
    int m_trackHandle = -1;
    QPoint m_trackStart;
    CRect m_trackStartRect;
    MenuRunner m_menuRunner;
    std::optional<PreviewState> m_preview;
    double m_zoom = 1.0;
    bool m_fitting = true;
    CLiveRefresh m_liveRefresh;
};
