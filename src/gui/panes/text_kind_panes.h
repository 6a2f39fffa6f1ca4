// The panes of the five text kinds: a fixed text, a reading, and the state texts of the weather,
// the tendency and the storm warning.
#pragma once

#include <memory>

#include "gui/panes/pane.h"

namespace Ui {
class CTextSimpleProperties;
class CTextDataProperties;
class CTextWeatherProperties;
class CTextTendencyProperties;
class CTextStormwarningProperties;
}  // namespace Ui

class QLineEdit;

class CTextSimpleProperties : public CPane {
    Q_OBJECT
  public:
    explicit CTextSimpleProperties(QWidget* parent = nullptr);
    ~CTextSimpleProperties() override;
    void ShowObject(CDrawObj* element, bool readOnly);

  private:
    std::unique_ptr<Ui::CTextSimpleProperties> m_ui;
};

class CTextDataProperties : public CPane {
    Q_OBJECT
  public:
    explicit CTextDataProperties(QWidget* parent = nullptr);
    ~CTextDataProperties() override;
    void ShowObject(CDrawObj* element, bool readOnly);

  private:
    // The formats of the element's type, each shown as the current reading in that format.
    void FillFormats();
    std::unique_ptr<Ui::CTextDataProperties> m_ui;
};

// The state texts: one edit per state index.
class CStateTextsPane : public CPane {
    Q_OBJECT
  public:
    using CPane::CPane;
    // Shows the element's state texts when it is of this pane's kind, else nothing.
    void ShowObject(CDrawObj* element, bool readOnly);

  protected:
    // True for the element kind whose state texts this pane edits.
    virtual bool IsOwnKind(const CDrawObj* element) const = 0;
    // Binds the edit to the state text of that index.
    void Bind(QLineEdit* edit, int index, int field);

  private:
    std::vector<std::pair<QLineEdit*, int>> m_edits;
};

class CTextWeatherProperties : public CStateTextsPane {
    Q_OBJECT
  public:
    explicit CTextWeatherProperties(QWidget* parent = nullptr);
    ~CTextWeatherProperties() override;

  private:
    bool IsOwnKind(const CDrawObj* element) const override;
    std::unique_ptr<Ui::CTextWeatherProperties> m_ui;
};

class CTextTendencyProperties : public CStateTextsPane {
    Q_OBJECT
  public:
    explicit CTextTendencyProperties(QWidget* parent = nullptr);
    ~CTextTendencyProperties() override;

  private:
    bool IsOwnKind(const CDrawObj* element) const override;
    std::unique_ptr<Ui::CTextTendencyProperties> m_ui;
};

class CTextStormwarningProperties : public CStateTextsPane {
    Q_OBJECT
  public:
    explicit CTextStormwarningProperties(QWidget* parent = nullptr);
    ~CTextStormwarningProperties() override;

  private:
    bool IsOwnKind(const CDrawObj* element) const override;
    std::unique_ptr<Ui::CTextStormwarningProperties> m_ui;
};
