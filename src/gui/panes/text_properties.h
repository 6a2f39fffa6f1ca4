// The pane of every text kind: font, size, style, colour, alignment and padding, over the pane
// of the particular kind.
#pragma once

#include <memory>

#include "gui/panes/pane.h"

namespace Ui {
class CTextProperties;
}
class CTextSimpleProperties;
class CTextDataProperties;
class CTextWeatherProperties;
class CTextTendencyProperties;
class CTextStormwarningProperties;

class CTextProperties : public CPane {
    Q_OBJECT
  public:
    explicit CTextProperties(QWidget* parent = nullptr);
    ~CTextProperties() override;
    void ShowObject(CDrawObj* element, bool readOnly);

  private:
    std::unique_ptr<Ui::CTextProperties> m_ui;
    CTextSimpleProperties* m_simple;
    CTextDataProperties* m_data;
    CTextWeatherProperties* m_weather;
    CTextTendencyProperties* m_tendency;
    CTextStormwarningProperties* m_storm;
};
