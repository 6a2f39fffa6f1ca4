#include "gui/canvas/drawing_change.h"

#include "gui/canvas/drawing_snapshot.h"

CDrawingChange::CDrawingChange(CDrawing* drawing, std::string before, std::string after,
                               std::function<void()> restored, int field)
    : m_drawing(drawing),
      m_before(std::move(before)),
      m_after(std::move(after)),
      m_restored(std::move(restored)),
      m_field(field) {}

bool CDrawingChange::mergeWith(const QUndoCommand* other) {
    auto* next = static_cast<const CDrawingChange*>(other);
    if (next->m_drawing != m_drawing) {
        return false;
    }
    m_after = next->m_after;
    return true;
}

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
