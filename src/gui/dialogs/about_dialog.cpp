#include "gui/dialogs/about_dialog.h"

#include <QPushButton>

#include "base/lang_string.h"
#include "gui/widgets/captions.h"
#include "ui_about_dialog.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CAboutDlg>()) {
    m_ui->setupUi(this);
    m_ui->icon->setPixmap(QPixmap(":/icons/skyvane-64.png"));
    m_ui->name->setText("<b>Skyvane</b>");
    m_ui->version->setText(QString::fromStdString(LangString(416, {SKYVANE_VERSION})));
    m_ui->about->setText(QString::fromStdString(LangString(417)));
    m_ui->buttons->button(QDialogButtonBox::Ok)->setText(Caption(1196));
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
}

CAboutDlg::~CAboutDlg() = default;
