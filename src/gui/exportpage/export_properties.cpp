#include "gui/exportpage/export_properties.h"

#include <QDateTime>
#include <QIntValidator>
#include <QLocale>
#include <QTimer>

#include "base/clock.h"
#include "base/lang_string.h"
#include "gui/exportpage/export_subpages.h"
#include "gui/widgets/captions.h"
#include "gui/widgets/message_box.h"
#include "net/dialup.h"
#include "profiles/profile.h"
#include "ui_export_properties.h"
#include "weather/data_file.h"

namespace {

constexpr unsigned kTextEmailMinimum = 195;
constexpr unsigned kTextUnappliedExportEdits = 456;
constexpr int kEmailMinimum = 60;

}  // namespace

std::int64_t NextExportTime(const CProfile& profile, std::int64_t now) {
    if (profile.GetActive() && profile.GetState() == ExportState::Waiting) {
        return now + profile.GetCountdown();
    }
    return std::max(profile.GetFirstStartDateTime(), now);
}

CExportProperties::CExportProperties(QWidget* parent)
    : QWidget(parent),
      m_ui(std::make_unique<Ui::CExportProperties>()),
      m_ftp(new CExportFtpProperties),
      m_email(new CExportEmailProperties) {
    m_ui->setupUi(this);
    m_ui->containerLayout->addWidget(m_ftp);
    m_ui->containerLayout->addWidget(m_email);
    ApplyCaptions(this);
    QLocale locale;  // the program's language
    m_ui->firstDate->setDisplayFormat(locale.dateFormat(QLocale::ShortFormat));
    m_ui->firstTime->setDisplayFormat(locale.timeFormat(QLocale::ShortFormat));
    m_dialupAvailable = IsRasInstalled();
    for (const std::string& entry : RasEntryList()) {
        m_ui->dialupEntry->addItem(QString::fromStdString(entry));
    }
    m_ui->dialup->setEnabled(m_dialupAvailable);
    m_ui->dialupEntry->setEnabled(false);

    connect(m_ftp, &CExportFtpProperties::edited, this, &CExportProperties::Edited);
    connect(m_email, &CExportEmailProperties::edited, this, &CExportProperties::Edited);
    // The two pickers always hold one and the same moment.
    connect(m_ui->firstDate, &QDateEdit::dateTimeChanged, this, [this](const QDateTime& moment) {
        QSignalBlocker blocker(m_ui->firstTime);
        m_ui->firstTime->setDateTime(moment);
        Edited();
    });
    connect(m_ui->firstTime, &QTimeEdit::dateTimeChanged, this, [this](const QDateTime& moment) {
        QSignalBlocker blocker(m_ui->firstDate);
        m_ui->firstDate->setDateTime(moment);
        Edited();
    });
    // Minutes, at least one: no sign, no letters.
    m_ui->interval->setValidator(new QIntValidator(1, 9999999, m_ui->interval));
    connect(m_ui->interval, &QLineEdit::textEdited, this, &CExportProperties::Edited);
    // Minutes, 0 for no limit.
    m_ui->maxDataAge->setValidator(new QIntValidator(0, 99999999, m_ui->maxDataAge));
    connect(m_ui->maxDataAge, &QLineEdit::textEdited, this, &CExportProperties::Edited);
    connect(m_ui->dialupEntry, &QComboBox::activated, this, &CExportProperties::Edited);
    for (QRadioButton* connection : {m_ui->direct, m_ui->dialup}) {
        connect(connection, &QRadioButton::clicked, this, [this] {
            m_ui->dialupEntry->setEnabled(!m_ui->direct->isChecked() && !m_readOnly);
            Edited();
        });
    }
    for (QRadioButton* type : {m_ui->ftp, m_ui->email}) {
        connect(type, &QRadioButton::clicked, this, [this] {
            ShowPageOfType();
            // E-mail goes out once an hour at the most; the field says so at once.
            if (m_ui->email->isChecked() &&
                parseDecimal(m_ui->interval->text().toStdString()) < kEmailMinimum) {
                m_ui->interval->setText(QString::number(kEmailMinimum));
            }
            Edited();
        });
    }
    // "Next export" follows the schedule and the clock.
    auto* tick = new QTimer(this);
    connect(tick, &QTimer::timeout, this, &CExportProperties::ShowNextExport);
    tick->start(1000);
    connect(m_ui->apply, &QPushButton::clicked, this, &CExportProperties::Apply);
    connect(m_ui->test, &QPushButton::clicked, this, [this] {
        if (m_profile != nullptr) {
            emit testRequested(m_profile);
        }
    });
    ShowImage(nullptr, false);
}

CExportProperties::~CExportProperties() = default;

void CExportProperties::ShowPageOfType() {
    // Only the page of the type is laid out, so that it takes its own height, not the taller's.
    m_ftp->setVisible(!m_ui->email->isChecked());
    m_email->setVisible(m_ui->email->isChecked());
}

bool CExportProperties::ResolveEdits() {
    if (m_profile == nullptr || !m_ui->apply->isEnabled()) {
        return true;
    }
    switch (CMessageBox::Show(this, LangString(kTextUnappliedExportEdits, {m_profile->GetName()}),
                              QMessageBox::Question,
                              QMessageBox::Apply | QMessageBox::Discard | QMessageBox::Cancel)) {
        case QMessageBox::Apply:
            Apply();
            return true;
        case QMessageBox::Discard:
            m_profile->SetModified(false);
            ShowImage(m_profile, m_readOnly);
            return true;
        default:
            return false;
    }
}

void CExportProperties::Edited() {
    if (m_profile == nullptr) {
        return;
    }
    m_profile->SetModified(true);
    m_ui->apply->setEnabled(!m_readOnly);
}

void CExportProperties::ShowNextExport() {
    if (m_profile == nullptr) {
        m_ui->nextExport->clear();
        return;
    }
    QDateTime next = QDateTime::fromSecsSinceEpoch(NextExportTime(*m_profile, Clock::NowSeconds()));
    m_ui->nextExport->setText(QLocale().toString(next, QLocale::ShortFormat));
}

void CExportProperties::ShowImage(CProfile* profile, bool readOnly) {
    m_profile = nullptr;  // the fill is no edit
    // Without an image an edit would go nowhere.
    readOnly = readOnly || profile == nullptr;
    m_readOnly = readOnly;
    for (QWidget* control : std::initializer_list<QWidget*>{
             m_ui->firstDate, m_ui->firstTime, m_ui->interval, m_ui->maxDataAge, m_ui->ftp,
             m_ui->email, m_ui->direct, m_ui->test}) {
        control->setEnabled(!readOnly);
    }
    m_ui->dialup->setEnabled(m_dialupAvailable && !readOnly);
    bool email = profile != nullptr && profile->GetExportType() == ExportType::Email;
    if (email && profile->GetInterval() < kEmailMinimum) {
        profile->SetInterval(kEmailMinimum);
    }
    m_ui->interval->setText(profile != nullptr ? QString::number(profile->GetInterval())
                                               : QString());
    m_ui->maxDataAge->setText(profile != nullptr ? QString::number(profile->GetMaxDataAge())
                                                 : QString());
    m_ui->ftp->setChecked(!email);
    m_ui->email->setChecked(email);
    ShowPageOfType();
    m_ui->apply->setEnabled(profile != nullptr && !readOnly && profile->GetModified());
    bool dialup = profile != nullptr && m_dialupAvailable &&
                  profile->GetConnectionType() == ConnectionType::Dialup;
    m_ui->dialup->setChecked(dialup);
    m_ui->direct->setChecked(!dialup);
    int entry =
        dialup ? m_ui->dialupEntry->findText(QString::fromStdString(profile->GetConnectionName()),
                                             Qt::MatchExactly | Qt::MatchCaseSensitive)
               : -1;
    m_ui->dialupEntry->setCurrentIndex(entry >= 0 ? entry : 0);
    m_ui->dialupEntry->setEnabled(dialup && !readOnly);
    {
        QSignalBlocker date(m_ui->firstDate);
        QSignalBlocker time(m_ui->firstTime);
        QDateTime first = QDateTime::fromSecsSinceEpoch(
            profile != nullptr ? profile->GetFirstStartDateTime() : Clock::NowSeconds());
        m_ui->firstDate->setDateTime(first);
        m_ui->firstTime->setDateTime(first);
    }
    m_ftp->Show(profile, readOnly);
    m_email->Show(profile, readOnly);
    m_profile = profile;
    ShowNextExport();
}

void CExportProperties::Apply() {
    if (m_profile == nullptr) {
        return;
    }
    auto interval = static_cast<int>(parseDecimal(m_ui->interval->text().left(255).toStdString()));
    if (interval < kEmailMinimum && m_ui->email->isChecked()) {
        interval = kEmailMinimum;
        m_ui->interval->setText(QString::number(interval));
        CMessageBox::Show(this, LangString(kTextEmailMinimum), QMessageBox::Critical);
    }
    // An empty or zero field would publish every tick.
    m_profile->SetInterval(std::max(interval, 1));
    m_profile->SetMaxDataAge(
        static_cast<int>(parseDecimal(m_ui->maxDataAge->text().left(9).toStdString())));
    if (m_ui->ftp->isChecked()) {
        m_profile->SetExportType(ExportType::Ftp);
    } else if (m_ui->email->isChecked()) {
        m_profile->SetExportType(ExportType::Email);
    }
    m_profile->SetFirstStartDateTime(m_ui->firstDate->dateTime().toSecsSinceEpoch());
    if (m_ui->dialup->isChecked()) {
        m_profile->SetConnectionType(ConnectionType::Dialup);
        m_profile->SetConnectionName(m_ui->dialupEntry->currentText().toStdString());
    } else {
        m_profile->SetConnectionType(ConnectionType::Direct);
        m_profile->SetConnectionName("");
    }
    m_ftp->Apply(*m_profile);
    m_email->Apply(*m_profile);
    m_profile->SetModified(false);
    m_ui->apply->setEnabled(false);
    ShowNextExport();
    emit applied(m_profile);
}
