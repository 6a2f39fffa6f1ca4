// One change to an image's drawing in its undo history: the drawing before and after.
#pragma once

#include <QUndoCommand>
#include <functional>
#include <string>

class CDrawing;

class CDrawingChange : public QUndoCommand {
  public:
    // restored runs after the drawing was set back or forward (the canvas shows it anew).
    CDrawingChange(CDrawing* drawing, std::string before, std::string after,
                   std::function<void()> restored);

    void undo() override;
    // The first redo is the change itself, already made.
    void redo() override;

  private:
    CDrawing* m_drawing;
    std::string m_before;
    std::string m_after;
    std::function<void()> m_restored;
    bool m_done = true;
};
