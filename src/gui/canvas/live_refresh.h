// Keeps the live pictures on the canvas current: the camera's newest snapshot, fetched off the
// window's thread when an image is shown and every 30 s while the canvas is on screen.
#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <memory>

class CDrawing;
class QWidget;

class CLiveRefresh : public QObject {
    Q_OBJECT
  public:
    // How often the pictures are fetched again while the canvas is visible.
    static constexpr int kIntervalMs = 30'000;

    // canvas is the widget whose visibility counts; it is not this object's parent.
    explicit CLiveRefresh(QWidget* canvas);
    // Ends a fetch under way at once; its result is dropped.
    ~CLiveRefresh() override;

    // Refreshes that drawing's live pictures from now on (none for null).
    void Show(CDrawing* drawing);
    // Fetches now, unless a fetch is under way, the canvas is hidden or nothing is live.
    void Refresh();

  private:
    QWidget* m_canvas;
    CDrawing* m_drawing = nullptr;
    QTimer m_timer;
    bool m_busy = false;
    std::shared_ptr<std::atomic<bool>> m_cancelled = std::make_shared<std::atomic<bool>>(false);
};
