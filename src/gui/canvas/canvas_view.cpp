#include "gui/canvas/canvas_view.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

#include "base/app_message.h"
#include "base/lang_string.h"
#include "base/settings.h"
#include "drawing/painter_canvas.h"
#include "gui/canvas/tracker_geometry.h"
#include "gui/widgets/captions.h"
#include "gui/widgets/message_box.h"
#include "profiles/profile.h"

namespace {

constexpr unsigned kTextDeactivateToEdit = 142;
constexpr unsigned kRemoveCommand = 236;
constexpr unsigned kBringToFront = 418;
constexpr unsigned kSendToBack = 419;

QRect toQRect(const CRect& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

Qt::CursorShape cursorOf(int handle) {
    switch (handle) {
        case kTopLeft:
        case kBottomRight:
            return Qt::SizeFDiagCursor;
        case kTopRight:
        case kBottomLeft:
            return Qt::SizeBDiagCursor;
        case kTop:
        case kBottom:
            return Qt::SizeVerCursor;
        case kLeft:
        case kRight:
            return Qt::SizeHorCursor;
        case kInside:
            return Qt::SizeAllCursor;
        default:
            return Qt::ArrowCursor;
    }
}

}  // namespace

CCanvasView::CCanvasView(QWidget* parent) : QWidget(parent), m_liveRefresh(this) {
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(0, 0);
}

CCanvasView::~CCanvasView() {
    if (m_drawing != nullptr) {
        m_drawing->SetView(nullptr);
    }
}

void CCanvasView::ShowImage(CProfile* profile, bool readOnly) {
    if (m_drawing != nullptr) {
        m_drawing->SetView(nullptr);
    }
    m_profile = profile;
    m_drawing = profile != nullptr ? profile->GetDrawing() : nullptr;
    m_readOnly = readOnly;
    m_tracking = false;
    m_selected = nullptr;
    m_tracker.reset();
    m_liveRefresh.Show(m_drawing);
    if (m_drawing != nullptr) {
        m_drawing->SetView(this);
        ApplyZoom();
        Select(m_drawing->GetBackground(), true);
    } else {
        resize(0, 0);
        emit selectionChanged(nullptr, true);
    }
    update();
}

void CCanvasView::SetZoom(double zoom) {
    m_fitting = false;
    m_zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    ApplyZoom();
}

void CCanvasView::FitToWindow() {
    m_fitting = true;
    ApplyZoom();
}

void CCanvasView::ApplyZoom() {
    QWidget* viewport = parentWidget();
    if (viewport != nullptr && m_fitting && m_drawing != nullptr) {
        // Watched from now on, so that the fitted zoom follows the window's size.
        viewport->removeEventFilter(this);
        viewport->installEventFilter(this);
        QSize room = viewport->size() - QSize(2 * kMargin, 2 * kMargin);
        m_zoom = FitZoom(QSize(m_drawing->GetWidth(), m_drawing->GetHeight()), room);
    }
    if (m_drawing != nullptr) {
        resize(int(std::ceil(m_drawing->GetWidth() * m_zoom)) + 2 * kMargin,
               int(std::ceil(m_drawing->GetHeight() * m_zoom)) + 2 * kMargin);
    }
    if (!m_tracking) {
        MakeTracker();
        ShowSelected();
    }
    update();
    emit zoomChanged(m_zoom);
}

QPoint CCanvasView::ToImage(const QPointF& at) const {
    return QPoint(int(std::floor((at.x() - kMargin) / m_zoom)),
                  int(std::floor((at.y() - kMargin) / m_zoom)));
}

bool CCanvasView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize && m_fitting) {
        ApplyZoom();
    }
    return QWidget::eventFilter(watched, event);
}

void CCanvasView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        event->ignore();  // the scroll area scrolls
        return;
    }
    if (event->angleDelta().y() > 0) {
        ZoomIn();
    } else if (event->angleDelta().y() < 0) {
        ZoomOut();
    }
    event->accept();
}

bool CCanvasView::KeepsAspectRatio(const CDrawObj* element) const {
    auto* picture = dynamic_cast<const CDrawImage*>(element);
    return picture != nullptr && picture->KeepsAspectRatio();
}

int CCanvasView::StackIndex(const CDrawObj* element) const {
    const auto& elements = m_drawing->Elements();
    for (size_t i = 0; i < elements.size(); ++i) {
        if (elements[i].get() == element) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void CCanvasView::MakeTracker() {
    m_tracker.reset();
    if (m_selected == nullptr || m_drawing == nullptr || m_selected == m_drawing->GetBackground() ||
        m_readOnly) {
        return;
    }
    CSettings& settings = CSettings::Instance();
    bool snap = settings.GetSnapElements() != 0;
    // Handles keep their size on the screen, whatever the zoom.
    int handleSize = std::max(1, int(std::ceil(kHandleSize / m_zoom)));
    if (dynamic_cast<CDrawLine*>(m_selected) != nullptr) {
        m_tracker = std::make_unique<CLineTracker>(
            m_selected->GetRect(), CRectTracker::kResizeOutside, snap, m_drawing, m_selected);
        m_tracker->SetHandleSize(handleSize);
        return;
    }
    unsigned style = CRectTracker::kResizeOutside;
    if (settings.GetDrawSelectionRectangle() != 0) {
        style |= CRectTracker::kDottedLine;
    }
    m_tracker =
        std::make_unique<CRectTracker>(m_selected->GetRect(), style, snap, m_drawing, m_selected);
    m_tracker->SetHandleSize(handleSize);
}

void CCanvasView::Select(CDrawObj* element, bool keepTab) {
    if (m_drawing == nullptr) {
        return;
    }
    m_selected = element != nullptr ? element : m_drawing->GetBackground();
    MakeTracker();
    ShowSelected();
    update();
    emit selectionChanged(m_selected, keepTab);
}

void CCanvasView::ShowSelected() {
    QWidget* viewport = parentWidget();
    if (auto* host =
            viewport != nullptr ? qobject_cast<QScrollArea*>(viewport->parentWidget()) : nullptr;
        host != nullptr && m_tracker) {
        CRect r = m_tracker->Rect().Normalized();
        host->ensureVisible(kMargin + int((r.left + r.right) / 2 * m_zoom),
                            kMargin + int((r.top + r.bottom) / 2 * m_zoom),
                            int(r.Width() / 2 * m_zoom) + 10, int(r.Height() / 2 * m_zoom) + 10);
    }
}

void CCanvasView::Deselect() {
    m_tracker.reset();
    m_selected = m_drawing != nullptr ? m_drawing->GetBackground() : nullptr;
    update();
}

void CCanvasView::ElementChanged() {
    if (m_tracker && m_selected != nullptr) {
        m_tracker->SetRect(m_selected->GetRect());
        update();
    }
}

CDrawObj* CCanvasView::Insert(unsigned commandId) {
    if (m_drawing == nullptr) {
        return nullptr;
    }
    if (m_readOnly) {
        if (CMessageBox::Show(this, LangString(kTextDeactivateToEdit), QMessageBox::Question,
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
            return nullptr;
        }
        emit editWhileActiveRequested();
        if (m_readOnly) {
            return nullptr;
        }
    }
    emit aboutToChange();
    CDrawObj* element = nullptr;
    switch (commandId) {
        case 231:
            element = m_drawing->AddTextData();
            break;
        case 313:
            element = m_drawing->AddTextWeather();
            break;
        case 314:
            element = m_drawing->AddTextTendency();
            break;
        case 315:
            element = m_drawing->AddTextStormWarning();
            break;
        case 202:
            element = m_drawing->AddTextSimple();
            break;
        case 281:
            element = m_drawing->AddLine();
            break;
        case 232:
            element = m_drawing->AddImageWeather();
            break;
        case 260:
            element = m_drawing->AddImageWeatherTendency();
            break;
        case 262:
            element = m_drawing->AddImageStormWarning();
            break;
        case 203:
            element = m_drawing->AddImageSimple();
            break;
        default:
            return nullptr;
    }
    Deselect();
    Select(element);
    emit changed();
    return element;
}

void CCanvasView::RemoveSelected() {
    if (m_drawing == nullptr || m_readOnly || m_selected == m_drawing->GetBackground()) {
        return;
    }
    emit aboutToChange();
    m_drawing->RemoveElement(m_selected);
    Deselect();
    emit selectionChanged(m_selected, false);
    emit changed();
}

void CCanvasView::BringToFront() {
    if (m_drawing == nullptr || m_readOnly || m_selected == m_drawing->GetBackground()) {
        return;
    }
    emit aboutToChange();
    m_drawing->MoveElement(m_selected, static_cast<int>(m_drawing->Elements().size()) - 1);
    update();
    emit changed();
}

void CCanvasView::SendToBack() {
    if (m_drawing == nullptr || m_readOnly || m_selected == m_drawing->GetBackground()) {
        return;
    }
    emit aboutToChange();
    // Just above the background, which covers the whole image.
    m_drawing->MoveElement(m_selected, 1);
    update();
    emit changed();
}

void CCanvasView::ApplyRect(CRect rect) {
    if (dynamic_cast<CDrawLine*>(m_selected) == nullptr) {
        rect = ShiftIntoImage(rect, m_drawing->GetWidth(), m_drawing->GetHeight());
    }
    if (rect == m_selected->GetRect()) {
        MakeTracker();
        update();
        return;
    }
    emit aboutToChange();
    m_selected->SetRect(rect);
    Select(m_selected, true);
    emit changed();
}

bool CCanvasView::event(QEvent* event) {
    if (event->type() == CAppMessageEvent::EventType()) {
        auto* message = static_cast<CAppMessageEvent*>(event);
        if (message->message == kElementChanged) {
            ElementChanged();
        } else if (message->message == kRedrawRequest) {
            update();
        }
        return true;
    }
    return QWidget::event(event);
}

void CCanvasView::SetPreviewState(const std::optional<PreviewState>& state) {
    m_preview = state;
    update();
}

void CCanvasView::paintEvent(QPaintEvent* event) {
    // Painted into an image first, so the tracker and the elements never flicker; only the part
    // to be repainted, which a large image at a high zoom would otherwise make a gigabyte.
    QRect area = event->rect();
    QImage buffer(area.size(), QImage::Format_RGB32);
    buffer.fill(palette().color(QPalette::Button));
    if (m_drawing != nullptr) {
        QPainter painter(&buffer);
        painter.translate(kMargin - area.left(), kMargin - area.top());
        // The one place the zoom enters the picture: everything below is in image pixels.
        painter.scale(m_zoom, m_zoom);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, m_zoom < 1);
        QRect image(0, 0, m_drawing->GetWidth(), m_drawing->GetHeight());
        painter.setClipRect(image);
        CPainterCanvas canvas(painter, image.width(), image.height());
        std::optional<CScopedPreviewState> preview;
        if (m_preview) {
            preview.emplace(*m_preview);
        }
        for (const auto& element : m_drawing->Elements()) {
            // The tracker just before its element: what lies above covers the frame.
            if (element.get() == m_selected && m_tracker) {
                CRect rect = m_tracking ? m_tracker->Rect() : m_selected->GetRect();
                unsigned mask = m_tracker->GetHandleMask();
                painter.save();
                painter.setClipping(false);  // handles may lie in the margin
                if (m_tracker->IsDotted()) {
                    painter.setPen(QPen(Qt::black, 0, Qt::DotLine));
                    painter.setBrush(Qt::NoBrush);
                    painter.drawRect(toQRect(rect.Normalized()));
                }
                for (int handle = kTopLeft; handle <= kLeft; ++handle) {
                    if (mask & (1u << handle)) {
                        painter.fillRect(
                            toQRect(HandleSquare(rect, handle, m_tracker->GetHandleSize())),
                            Qt::black);
                    }
                }
                painter.restore();
            }
            element->Draw(canvas, m_preview ? 0 : 1);
        }
        if (m_tracking) {
            // The rubber band while dragging.
            painter.setClipping(false);
            painter.setPen(QPen(Qt::gray, 0, Qt::DashLine));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(toQRect(m_tracker->Rect().Normalized()));
        }
    }
    QPainter(this).drawImage(area.topLeft(), buffer);
}

void CCanvasView::mousePressEvent(QMouseEvent* event) {
    if (m_drawing == nullptr) {
        return;
    }
    setFocus();
    if (m_readOnly) {
        if (CMessageBox::Show(this, LangString(kTextDeactivateToEdit), QMessageBox::Question,
                              QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
            emit editWhileActiveRequested();
        }
        return;
    }
    QPoint p = ToImage(event->position());
    CDrawObj* hit = m_drawing->FindElementAt(p.x(), p.y());
    int handle = m_tracker ? m_tracker->HitTest(p.x(), p.y()) : kNoHandle;
    if (m_tracker && handle == kNoHandle) {
        Deselect();
    }
    if (!m_tracker) {
        Select(hit);
        handle = m_tracker ? m_tracker->HitTest(p.x(), p.y()) : kNoHandle;
        if (!m_tracker || handle == kNoHandle) {
            update();
            return;
        }
    }
    bool rightAlone = event->button() == Qt::RightButton && event->buttons() == Qt::RightButton &&
                      event->modifiers() == Qt::NoModifier;
    if (rightAlone) {
        ShowContextMenu(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton) {
        return;
    }
    // An element that covers part of the selected one takes the click.
    if (hit != m_selected && StackIndex(hit) > StackIndex(m_selected)) {
        Deselect();
        Select(hit);
        handle = m_tracker->HitTest(p.x(), p.y());
        if (handle == kNoHandle) {
            return;
        }
    }
    m_tracking = true;
    m_trackHandle = handle;
    m_trackStart = p;
    m_trackStartRect = m_tracker->Rect();
    m_tracker->SetKeepAspect(KeepsAspectRatio(m_selected) ? AspectRatio(m_trackStartRect) : 0);
    grabMouse();
}

void CCanvasView::mouseMoveEvent(QMouseEvent* event) {
    QPoint p = ToImage(event->position());
    if (!m_tracking) {
        UpdateCursor(p);
        return;
    }
    QPoint offset = p - m_trackStart;
    m_tracker->SetRect(m_tracker->Track(m_trackHandle, m_trackStartRect, offset.x(), offset.y(),
                                        CSettings::Instance().GetSnapOffset()));
    update();
}

void CCanvasView::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_tracking || event->button() != Qt::LeftButton) {
        return;
    }
    m_tracking = false;
    releaseMouse();
    if (m_tracker->Rect() == m_trackStartRect) {
        update();
        return;
    }
    ApplyRect(m_tracker->Rect());
}

void CCanvasView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && m_tracking) {
        // Back to where the drag began; nothing changed.
        m_tracking = false;
        releaseMouse();
        m_tracker->SetRect(m_trackStartRect);
        update();
        return;
    }
    if (m_drawing == nullptr || m_readOnly || !m_tracker || m_tracking) {
        QWidget::keyPressEvent(event);
        return;
    }
    int step = event->modifiers() & Qt::ShiftModifier ? 10 : 1;
    int dx = 0;
    int dy = 0;
    switch (event->key()) {
        case Qt::Key_Delete:
            RemoveSelected();
            return;
        case Qt::Key_Left:
            dx = -step;
            break;
        case Qt::Key_Right:
            dx = step;
            break;
        case Qt::Key_Up:
            dy = -step;
            break;
        case Qt::Key_Down:
            dy = step;
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    ApplyRect(DraggedRect(m_selected->GetRect(), kInside, dx, dy));
}

void CCanvasView::ShowContextMenu(const QPoint& at) {
    QMenu menu(this);
    QAction* front = menu.addAction(Caption(kBringToFront));
    QAction* back = menu.addAction(Caption(kSendToBack));
    menu.addSeparator();
    QAction* remove = menu.addAction(Caption(kRemoveCommand));
    QAction* chosen = m_menuRunner ? m_menuRunner(menu, at) : menu.exec(at);
    if (chosen == remove) {
        RemoveSelected();
    } else if (chosen == front) {
        BringToFront();
    } else if (chosen == back) {
        SendToBack();
    }
}

void CCanvasView::UpdateCursor(const QPoint& at) {
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (m_tracker && m_drawing != nullptr) {
        int handle = m_tracker->HitTest(at.x(), at.y());
        CDrawObj* under = m_drawing->FindElementAt(at.x(), at.y());
        // Only where the selected element is not covered by another: there a click selects
        // the element on top, and the cursor says so.
        if (handle != kNoHandle && StackIndex(under) <= StackIndex(m_selected)) {
            shape = cursorOf(handle);
        }
    }
    setCursor(shape);
}
