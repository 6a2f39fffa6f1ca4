// The panes of the image itself (name, size, format) and of a positioned element (its
// rectangle, over the text or picture pane of its kind), and the picture pane nest.
#pragma once

#include <memory>

#include "gui/panes/pane.h"

namespace Ui {
class CBackgroundProperties;
class CDrawElementProperties;
}  // namespace Ui
class CProfile;
class CTextProperties;
class CImageSimpleProperties;
class CImageWeatherProperties;
class CImageWeatherTendencyProperties;
class CImageStormWarningProperties;
class QStackedWidget;

class CBackgroundProperties : public CPane {
    Q_OBJECT
  public:
    explicit CBackgroundProperties(QWidget* parent = nullptr);
    ~CBackgroundProperties() override;
    void ShowObject(CDrawObj* background, CProfile* profile, bool readOnly);

  signals:
    // The image's name changed (the list row follows).
    void nameChanged(CProfile* profile);

  private:
    std::unique_ptr<Ui::CBackgroundProperties> m_ui;
    CProfile* m_profile = nullptr;
};

// The picture kinds' panes, one shown at a time.
class CDrawImageProperties : public CPane {
    Q_OBJECT
  public:
    explicit CDrawImageProperties(QWidget* parent = nullptr);
    void ShowObject(CDrawObj* element, bool readOnly);

  private:
    QStackedWidget* m_container;
    CImageSimpleProperties* m_simple;
    CImageWeatherProperties* m_weather;
    CImageWeatherTendencyProperties* m_tendency;
    CImageStormWarningProperties* m_storm;
};

class CDrawElementProperties : public CPane {
    Q_OBJECT
  public:
    explicit CDrawElementProperties(QWidget* parent = nullptr);
    ~CDrawElementProperties() override;
    void ShowObject(CDrawObj* element, bool readOnly);

  private:
    // Update: the typed rectangle, kept inside the image, moving or resizing.
    void Update();
    void ShowRect();

    std::unique_ptr<Ui::CDrawElementProperties> m_ui;
    CTextProperties* m_text;
    CDrawImageProperties* m_image;
    QWidget* m_nothing;
};
