#include "gui/canvas/live_refresh.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>
#include <QWidget>
#include <utility>
#include <vector>

#include "drawing/drawing.h"
#include "export/live_pictures.h"

CLiveRefresh::CLiveRefresh(QWidget* canvas) : m_canvas(canvas) {
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &CLiveRefresh::Refresh);
}

CLiveRefresh::~CLiveRefresh() {
    m_cancelled->store(true);
}

void CLiveRefresh::Show(CDrawing* drawing) {
    m_drawing = drawing;
    if (drawing != nullptr) {
        m_timer.start();
        Refresh();
    } else {
        m_timer.stop();
    }
}

void CLiveRefresh::Refresh() {
    if (m_drawing == nullptr || m_busy || !m_canvas->isVisible()) {
        return;
    }
    std::vector<LivePictureSource> sources = m_drawing->LivePictures();
    if (sources.empty()) {
        return;
    }
    m_busy = true;
    QSize bound(m_drawing->GetWidth(), m_drawing->GetHeight());
    auto work = [sources = std::move(sources), bound, cancelled = m_cancelled,
                 guard = QPointer<CLiveRefresh>(this), drawing = m_drawing]() mutable {
        StopCheck stop = [cancelled] { return cancelled->load(); };
        std::vector<std::pair<LivePictureSource, QImage>> pictures;
        for (LivePictureSource& source : sources) {
            // The editor shows the newest picture there is, however old: the export judges it.
            source.maxAge = 0;
            try {
                LivePictureBytes bytes = ReadLivePicture(source, stop);
                QImage picture = DecodePictureWithin(bytes.data, bound);
                pictures.emplace_back(std::move(source), std::move(picture));
            } catch (const std::runtime_error&) {
                // The picture shown stays until a fetch succeeds.
            }
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [guard, drawing, pictures = std::move(pictures)] {
                if (guard == nullptr) {
                    return;
                }
                guard->m_busy = false;
                if (guard->m_drawing != drawing) {
                    return;
                }
                for (const auto& [source, picture] : pictures) {
                    // An undo may have put another element at the same address meanwhile.
                    auto* element =
                        drawing->Contains(source.element)
                            ? dynamic_cast<CDrawImageSimple*>(const_cast<CDrawObj*>(source.element))
                            : nullptr;
                    if (element != nullptr && element->IsLive() &&
                        element->GetImageFile(0) == source.source) {
                        element->ShowSnapshot(picture);
                    }
                }
            },
            Qt::QueuedConnection);
    };
    QThreadPool::globalInstance()->start(std::move(work));
}
