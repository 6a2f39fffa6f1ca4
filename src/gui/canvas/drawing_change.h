// One change to an image's drawing in its undo history: the drawing before and after.
#pragma once

#include <QUndoCommand>
#include <functional>
#include <string>

class CDrawing;

class CDrawingChange : public QUndoCommand {
  public:
    // restored runs after the drawing was set back or forward (the canvas shows it anew). Changes
    // of the same field (a control's id; -1 for none) in a row are one step, as typing is.
    CDrawingChange(CDrawing* drawing, std::string before, std::string after,
                   std::function<void()> restored, int field = -1);

    void undo() override;
    // The first redo is the change itself, already made.
    void redo() override;
    int id() const override { return m_field; }
    bool mergeWith(const QUndoCommand* other) override;

  private:
    CDrawing* m_drawing;
    std::string m_before;
    std::string m_after;
    std::function<void()> m_restored;
    bool m_done = true;
    int m_field;
};
