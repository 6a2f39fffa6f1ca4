#include "gui/exportpage/export_test_dialog.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QScreen>
#include <QStyle>
#include <QUrl>
#include <climits>

#include "base/app_message.h"
#include "base/lang_string.h"
#include "base/string_ids.h"
#include "export/export_test_runner.h"
#include "gui/widgets/captions.h"
#include "profiles/profile.h"
#include "ui_export_test_dialog.h"

namespace {

// The command the runner sends when the export succeeded.
constexpr unsigned kCommandMessage = 0x0111;
constexpr quintptr kOkCommand = 1;

}  // namespace

CExportTestDlg::CExportTestDlg(CProfile* profile, QWidget* parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::CExportTestDlg>()),
      m_runner(std::make_unique<CExportTestRunner>(profile)),
      m_profile(profile),
      m_savedView(profile->GetDrawing()->GetView()) {
    m_ui->setupUi(this);
    ApplyCaptions(this);
    setWindowTitle("Skyvane");
    m_ui->icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(32, 32));
    profile->GetDrawing()->SetView(nullptr);
    connect(m_ui->abort, &QPushButton::clicked, this, [this] {
        m_runner->RequestStop(UINT_MAX);
        done(QDialog::Rejected);
    });
}

CExportTestDlg::~CExportTestDlg() {
    m_runner->RequestStop(UINT_MAX);
    m_profile->GetDrawing()->SetView(m_savedView);
}

int CExportTestDlg::exec() {
    m_runner->SetNotifyWindow(this);
    m_runner->Start();
    return QDialog::exec();
}

void CExportTestDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
}

void CExportTestDlg::Failed() {
    m_ui->error->setText(QString::fromStdString(m_runner->GetExportError()));
    m_ui->step->setText(QString::fromStdString(LangString(kWordError) + ". " +
                                               LangString(m_runner->GetCurrentStep())));
    m_ui->animation->hide();
    m_ui->icon->show();
    // As large as the text needs, up to most of the screen: a long host name or a German or
    // French text is not cut off.
    QRect screen = this->screen()->availableGeometry();
    m_ui->error->setMaximumWidth(screen.width() * 2 / 3);
    adjustSize();
}

bool CExportTestDlg::event(QEvent* event) {
    if (event->type() != CAppMessageEvent::EventType()) {
        return QDialog::event(event);
    }
    auto* message = static_cast<CAppMessageEvent*>(event);
    if (message->message == kExportProgress && message->wParam == kWordError) {
        Failed();
    } else if (message->message == kExportProgress && message->wParam != 0) {
        m_ui->error->clear();
        m_ui->step->setText(
            QString::fromStdString(LangString(static_cast<unsigned>(message->wParam))));
    } else if (message->message == kCommandMessage && message->wParam == kOkCommand) {
        m_runner->RequestStop(UINT_MAX);
        QDesktopServices::openUrl(QUrl(QString::fromStdString(m_runner->GetWebAddress())));
        done(QDialog::Accepted);
    }
    return true;
}
