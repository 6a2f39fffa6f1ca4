// The Options dialog: language, help tooltips, the weather data file, the canvas aids, starting
// with the session and the tray icon. OK (also the close box) stores every setting; a weather
// file that cannot be read keeps the dialog open.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class COptionsDlg;
}

class COptionsDlg : public QDialog {
    Q_OBJECT
  public:
    explicit COptionsDlg(QWidget* parent = nullptr);
    ~COptionsDlg() override;

    // Stores the settings; closes with OK unless the weather file cannot be read.
    void Confirm();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void Browse();
    // What the file in the field is and when its readings are from, or why it gives none.
    void DescribeFile();

    std::unique_ptr<Ui::COptionsDlg> m_ui;
    // As they were when the dialog opened: an OK refused for the weather file stores the
    // settings already, and the next OK must still know that a restart is needed.
    int m_tooltipsAtOpen;
    unsigned short m_languageAtOpen;
};
