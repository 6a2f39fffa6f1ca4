#include "gui/canvas/drawing_change.h"

#include "gui/canvas/drawing_snapshot.h"

CDrawingChange::CDrawingChange(CDrawing* drawing, std::string before, std::string after,
                               std::function<void()> restored)
    : m_drawing(drawing),
      m_before(std::move(before)),
      m_after(std::move(after)),
      m_restored(std::move(restored)) {}

void CDrawingChange::undo() {
    RestoreDrawing(*m_drawing, m_before);
    m_restored();
}

void CDrawingChange::redo() {
    if (m_done) {
        m_done = false;
        return;
    }
    RestoreDrawing(*m_drawing, m_after);
    m_restored();
}
