// The Properties tab: colours and border of the selected object, over the pane of the image
// itself or of the selected element.
#pragma once

#include <memory>

#include "gui/panes/pane.h"

namespace Ui {
class CDrawObjProperties;
}
class CProfile;
class CBackgroundProperties;
class CDrawElementProperties;

class CDrawObjProperties : public CPane {
    Q_OBJECT
  public:
    explicit CDrawObjProperties(QWidget* parent = nullptr);
    ~CDrawObjProperties() override;

    // Shows the object (the background stands for the image, with its profile); nothing for
    // null. Read-only while the image is active.
    void ShowObject(CDrawObj* object, CProfile* profile, bool readOnly);
    CBackgroundProperties* BackgroundPane() const { return m_background; }
    CDrawElementProperties* ElementPane() const { return m_elementPane; }

  private:
    std::unique_ptr<Ui::CDrawObjProperties> m_ui;
    CBackgroundProperties* m_background;
    CDrawElementProperties* m_elementPane;
    QWidget* m_nothing;
};
