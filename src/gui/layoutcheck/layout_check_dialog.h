// The Check Layout window: the layout check's findings for the image on the canvas; choosing one
// selects its element, switches the editor's preview to the state, language and reading in
// which it fails, and shows that export beside the list.
#pragma once

#include <QDialog>
#include <QImage>
#include <memory>
#include <vector>

#include "export/layout_check.h"

namespace Ui {
class CLayoutCheckDialog;
}
class CCanvasView;
class CPreviewBar;

class CLayoutCheckDialog : public QDialog {
    Q_OBJECT
  public:
    // Checks the image the canvas shows; choosing a finding drives the canvas and the preview.
    CLayoutCheckDialog(CCanvasView* canvas, CPreviewBar* preview, QWidget* parent = nullptr);
    ~CLayoutCheckDialog() override;

    // Checks the canvas's image again and lists what was found.
    void Check();
    const std::vector<LayoutFinding>& Findings() const { return m_findings; }

  private:
    void Choose(int row);
    // The image on the canvas as exported in the preview state in force.
    QImage Rendering() const;

    std::unique_ptr<Ui::CLayoutCheckDialog> m_ui;
    CCanvasView* m_canvas;
    CPreviewBar* m_preview;
    CDrawing* m_drawing = nullptr;
    std::vector<LayoutFinding> m_findings;
};
