// The editor's preview tab: states, language and widest readings under which the canvas
// shows the image as it is exported, so the user sees what the layout check found.
#pragma once

#include <QWidget>
#include <memory>
#include <optional>

#include "drawing/preview_state.h"

namespace Ui {
class CPreviewBar;
}

class CPreviewBar : public QWidget {
    Q_OBJECT
  public:
    explicit CPreviewBar(QWidget* parent = nullptr);
    ~CPreviewBar() override;

    // The state chosen; none while the preview is off.
    std::optional<PreviewState> State() const;
    // Switches the preview on with the state (off for none).
    void SetState(const std::optional<PreviewState>& state);

  signals:
    void stateChanged();

  private:
    void Changed();

    std::unique_ptr<Ui::CPreviewBar> m_ui;
};
