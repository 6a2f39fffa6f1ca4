// The test export's dialog: it runs the export at once, shows each step, opens the uploaded
// image in the browser on success, and shows the failed step with its error until Abort, which
// also ends a run that hangs.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class CExportTestDlg;
}
class CProfile;
class CExportTestRunner;

class CExportTestDlg : public QDialog {
    Q_OBJECT
  public:
    // The image's drawing is detached from the canvas for the dialog's life.
    CExportTestDlg(CProfile* profile, QWidget* parent = nullptr);
    ~CExportTestDlg() override;

    int exec() override;
    // Escape and Enter do nothing: the dialog ends by success or by Abort.
    void reject() override {}
    void accept() override {}

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void Failed();

    std::unique_ptr<Ui::CExportTestDlg> m_ui;
    std::unique_ptr<CExportTestRunner> m_runner;
    CProfile* m_profile;
    QObject* m_savedView;
};
