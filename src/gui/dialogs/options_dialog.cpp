#include "gui/dialogs/options_dialog.h"

#include <QCloseEvent>
#include <QIntValidator>
#include <QSystemTrayIcon>

#include "base/lang_string.h"
#include "base/settings.h"
#include "gui/widgets/captions.h"
#include "gui/widgets/file_dialog.h"
#include "gui/widgets/message_box.h"
#include "ui_options_dialog.h"
#include "weather/weather_data.h"

namespace {

constexpr unsigned kTextWeatherFileNotFound = 146;
constexpr unsigned kTextRestart = 147;
constexpr unsigned kLanguageNames = 140;

}  // namespace

COptionsDlg::COptionsDlg(QWidget* parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::COptionsDlg>()),
      m_tooltipsAtOpen(CSettings::Instance().GetShowTooltipHelp()),
      m_languageAtOpen(CSettings::Instance().GetLangID()) {
    m_ui->setupUi(this);
    setWindowTitle(Caption(222));
    ApplyCaptions(this);
    CSettings& settings = CSettings::Instance();
    m_ui->startAutomatically->setChecked(settings.GetStartAutomatically() != 0);
    m_ui->showInSystemTray->setChecked(settings.GetShowInSystemTray() != 0);
    m_ui->showTooltipHelp->setChecked(settings.GetShowTooltipHelp() != 0);
    m_ui->drawSelectionRectangle->setChecked(settings.GetDrawSelectionRectangle() != 0);
    m_ui->snapElements->setChecked(settings.GetSnapElements() != 0);
    // A distance in pixels: no sign, no letters.
    m_ui->snapOffset->setValidator(new QIntValidator(0, 999, m_ui->snapOffset));
    m_ui->snapOffset->setText(QString::number(settings.GetSnapOffset()));
    m_ui->snapOffset->setEnabled(m_ui->snapElements->isChecked());
    m_ui->weatherFile->setText(QString::fromStdString(settings.GetWeatherFilePath()));
    m_ui->testServer->setText(QString::fromStdString(settings.GetTestServerName()));
    m_ui->testUser->setText(QString::fromStdString(settings.GetTestUserName()));
    m_ui->testPassword->setText(QString::fromStdString(settings.GetTestPassword()));
    m_ui->testFolder->setText(QString::fromStdString(settings.GetTestFolder()));
    m_ui->testWebAddress->setText(QString::fromStdString(settings.GetTestWebAddress()));
    QStringList names = QString::fromStdString(LangString(kLanguageNames)).split(';');
    const unsigned short ids[] = {1033, 1031, 1036};
    for (int i = 0; i < 3; ++i) {
        m_ui->language->addItem(names.value(i), ids[i]);
    }
    m_ui->language->setCurrentIndex(m_ui->language->findData(settings.GetLangID()));
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        m_ui->showInSystemTray->setEnabled(false);
        m_ui->trayNote->setText(QString::fromStdString(LangString(415)));
        m_ui->trayNote->setVisible(true);
    }
    connect(m_ui->snapElements, &QCheckBox::toggled, m_ui->snapOffset, &QWidget::setEnabled);
    connect(m_ui->search, &QPushButton::clicked, this, &COptionsDlg::Browse);
    connect(m_ui->weatherFile, &QLineEdit::textChanged, this, &COptionsDlg::DescribeFile);
    DescribeFile();
    connect(m_ui->ok, &QPushButton::clicked, this, &COptionsDlg::Confirm);
    connect(m_ui->cancel, &QPushButton::clicked, this, &QDialog::reject);
    adjustSize();
}

COptionsDlg::~COptionsDlg() = default;

void COptionsDlg::Browse() {
    QString path = CFileDialog::GetOpenFileName(this, m_ui->weatherFile->text(), QString());
    if (!path.isEmpty()) {
        m_ui->weatherFile->setText(path);
    }
}

void COptionsDlg::DescribeFile() {
    std::string path = m_ui->weatherFile->text().left(260).toStdString();
    m_ui->weatherFileNote->setText(
        path.empty() ? QString() : QString::fromStdString(DescribeWeatherFile(path)));
    // The dialog does not grow by itself when the note wraps onto another line.
    layout()->activate();
    if (int height = heightForWidth(width()); height > 0) {
        resize(width(), height);
    }
}

void COptionsDlg::closeEvent(QCloseEvent* event) {
    // The close box confirms, as OK does.
    event->ignore();
    Confirm();
}

void COptionsDlg::Confirm() {
    CSettings& settings = CSettings::Instance();
    std::string path = m_ui->weatherFile->text().left(260).toStdString();
    settings.SetWeatherFilePath(path);
    bool readable = CWeatherData::Instance().Reload();
    if (!readable) {
        std::string problem = CWeatherData::Instance().LastProblem();
        CMessageBox::Show(this,
                          problem.empty() ? LangString(kTextWeatherFileNotFound) + " (" + path + ")"
                                          : WeatherFileProblem(),
                          QMessageBox::Critical);
    }
    settings.SetStartAutomatically(m_ui->startAutomatically->isChecked() ? 1 : 0);
    settings.SetDrawSelectionRectangle(m_ui->drawSelectionRectangle->isChecked() ? 1 : 0);
    settings.SetSnapElements(m_ui->snapElements->isChecked() ? 1 : 0);
    if (m_ui->showInSystemTray->isEnabled()) {
        settings.SetShowInSystemTray(m_ui->showInSystemTray->isChecked() ? 1 : 0);
    }
    int tooltips = m_ui->showTooltipHelp->isChecked() ? 1 : 0;
    bool restart = tooltips != m_tooltipsAtOpen;
    settings.SetShowTooltipHelp(tooltips);
    if (m_ui->language->currentIndex() >= 0) {
        auto language = static_cast<unsigned short>(m_ui->language->currentData().toUInt());
        restart = restart || language != m_languageAtOpen;
        settings.SetLangID(language);
    }
    settings.SetSnapOffset(m_ui->snapOffset->text().left(20).toInt());
    settings.SetTestServerName(m_ui->testServer->text().toStdString());
    settings.SetTestUserName(m_ui->testUser->text().toStdString());
    settings.SetTestPassword(m_ui->testPassword->text().toStdString());
    settings.SetTestFolder(m_ui->testFolder->text().toStdString());
    settings.SetTestWebAddress(m_ui->testWebAddress->text().toStdString());
    if (!readable) {
        return;
    }
    if (restart) {
        CMessageBox::Show(this, LangString(kTextRestart), QMessageBox::Warning);
    }
    accept();
}
