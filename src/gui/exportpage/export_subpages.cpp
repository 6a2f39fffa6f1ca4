#include "gui/exportpage/export_subpages.h"

#include <QFile>
#include <QSignalBlocker>
#include <stdexcept>

#include "base/lang_string.h"
#include "base/server_address.h"
#include "base/string_ids.h"
#include "gui/exportpage/export_texts.h"
#include "gui/widgets/captions.h"
#include "gui/widgets/file_dialog.h"
#include "mail/email_publisher.h"
#include "net/live_check.h"
#include "profiles/profile.h"
#include "ui_export_email_properties.h"
#include "ui_export_ftp_properties.h"

namespace {

// Longest texts the fields store.
constexpr int kLongestFtpText = 255;
constexpr int kLongestMailText = 32766;
constexpr int kLongestList = 65535;
constexpr int kLongestWebAddress = 2048;

std::string textOf(const QLineEdit* edit, int longest) {
    return edit->text().left(longest).toStdString();
}

std::string textOf(const QPlainTextEdit* edit, int longest) {
    return edit->toPlainText().left(longest).toStdString();
}

// Why a server field cannot be used: empty, or a prefix the parser does not know; "" if fine.
QString serverProblem(const QLineEdit* edit, unsigned emptyText,
                      ServerAddress (*parse)(const std::string&)) {
    if (edit->text().isEmpty()) {
        return QString::fromStdString(LangString(emptyText));
    }
    try {
        parse(edit->text().toStdString());
    } catch (const std::runtime_error& problem) {
        return QString::fromStdString(problem.what());
    }
    return {};
}

bool NamesPlainDavServer(const std::string& field) {
    try {
        return ParseFtpServer(field).transport == Transport::Dav;
    } catch (const std::runtime_error&) {
        return false;
    }
}

}  // namespace

void MarkField(QWidget* field, const QString& reason) {
    // The help comes back once the field is valid again.
    if (!field->property("helpTip").isValid()) {
        field->setProperty("helpTip", field->toolTip());
    }
    field->setStyleSheet(reason.isEmpty() ? QString() : "border: 2px solid #c62828;");
    field->setProperty("problem", reason);
    field->setToolTip(reason.isEmpty() ? field->property("helpTip").toString()
                                       : WrappedTooltip(reason));
}

CExportFtpProperties::CExportFtpProperties(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CExportFtpProperties>()) {
    m_ui->setupUi(this);
    ApplyCaptions(this);
    for (QLineEdit* edit :
         {m_ui->server, m_ui->user, m_ui->password, m_ui->path, m_ui->file, m_ui->webUrl}) {
        connect(edit, &QLineEdit::textEdited, this, [this] {
            MarkProblems();
            emit edited();
        });
    }
    connect(m_ui->passive, &QCheckBox::toggled, this, &CExportFtpProperties::edited);
    connect(m_ui->davPlainLogin, &QCheckBox::toggled, this, &CExportFtpProperties::edited);
}

CExportFtpProperties::~CExportFtpProperties() = default;

void CExportFtpProperties::MarkProblems() {
    auto reason = [](const QLineEdit* edit, unsigned id) {
        return edit->text().isEmpty() ? QString::fromStdString(LangString(id)) : QString();
    };
    std::string server = m_ui->server->text().toStdString();
    MarkField(m_ui->server, serverProblem(m_ui->server, kTextFtpServerNameEmpty, &ParseFtpServer));
    // A folder and a WebDAV server may need no login; over SSH an empty password means a login
    // by key.
    bool loginOptional = LoginIsOptional(server);
    MarkField(m_ui->user, loginOptional ? QString() : reason(m_ui->user, kTextFtpUserNameEmpty));
    MarkField(m_ui->password, loginOptional || NamesSftpServer(server)
                                  ? QString()
                                  : reason(m_ui->password, kTextFtpPasswordEmpty));
    // Only plain WebDAV has a login that the box allows.
    m_ui->davPlainLogin->setEnabled(!m_readOnly && NamesPlainDavServer(server));
    MarkField(m_ui->file, reason(m_ui->file, kTextFtpFileNameEmpty));
    // Empty: no check after the upload.
    std::string webUrl = m_ui->webUrl->text().trimmed().toStdString();
    MarkField(m_ui->webUrl,
              webUrl.empty() ? QString() : QString::fromStdString(WebAddressProblem(webUrl)));
}

void CExportFtpProperties::Show(const CProfile* profile, bool readOnly) {
    auto text = [profile](std::string (CProfile::*get)() const) {
        return profile != nullptr ? QString::fromStdString((profile->*get)()) : QString();
    };
    m_ui->server->setText(text(&CProfile::GetServerName));
    m_ui->user->setText(text(&CProfile::GetUserName));
    m_ui->password->setText(text(&CProfile::GetPassword));
    m_ui->path->setText(text(&CProfile::GetFilePath));
    m_ui->file->setText(text(&CProfile::GetFileName));
    m_ui->webUrl->setText(text(&CProfile::GetWebUrl));
    {
        QSignalBlocker quiet(m_ui->passive);
        m_ui->passive->setChecked(profile != nullptr && profile->GetFtpPassive());
    }
    {
        QSignalBlocker quiet(m_ui->davPlainLogin);
        m_ui->davPlainLogin->setChecked(profile != nullptr && profile->GetDavPlainLogin());
    }
    m_readOnly = readOnly;
    for (QLineEdit* edit :
         {m_ui->server, m_ui->user, m_ui->password, m_ui->path, m_ui->file, m_ui->webUrl}) {
        edit->setEnabled(!readOnly);
    }
    m_ui->passive->setEnabled(!readOnly);
    MarkProblems();
}

void CExportFtpProperties::Apply(CProfile& profile) const {
    profile.SetServerName(textOf(m_ui->server, kLongestFtpText));
    profile.SetUserName(textOf(m_ui->user, kLongestFtpText));
    profile.SetPassword(textOf(m_ui->password, kLongestFtpText));
    profile.SetFilePath(textOf(m_ui->path, kLongestFtpText));
    profile.SetFileName(textOf(m_ui->file, kLongestFtpText));
    profile.SetFtpPassive(m_ui->passive->isChecked());
    profile.SetWebUrl(m_ui->webUrl->text().trimmed().left(kLongestWebAddress).toStdString());
    profile.SetDavPlainLogin(m_ui->davPlainLogin->isChecked());
}

CExportEmailProperties::CExportEmailProperties(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CExportEmailProperties>()) {
    m_ui->setupUi(this);
    ApplyCaptions(this);
    for (QLineEdit* edit : {m_ui->smtp, m_ui->smtpUser, m_ui->smtpPassword, m_ui->senderName,
                            m_ui->senderAddress, m_ui->subject}) {
        connect(edit, &QLineEdit::textEdited, this, [this] {
            MarkProblems();
            emit edited();
        });
    }
    for (QPlainTextEdit* edit : {m_ui->recipients, m_ui->body}) {
        connect(edit, &QPlainTextEdit::textChanged, this, [this] {
            MarkProblems();
            emit edited();
        });
    }
    connect(m_ui->plainLogin, &QCheckBox::toggled, this, &CExportEmailProperties::edited);
    connect(m_ui->import, &QPushButton::clicked, this, &CExportEmailProperties::Import);
}

CExportEmailProperties::~CExportEmailProperties() = default;

void CExportEmailProperties::MarkProblems() {
    auto empty = [](const QLineEdit* edit, unsigned id) {
        return edit->text().isEmpty() ? QString::fromStdString(LangString(id)) : QString();
    };
    MarkField(m_ui->smtp, serverProblem(m_ui->smtp, kTextSmtpServerEmpty, &ParseSmtpServer));
    MarkField(m_ui->senderName, empty(m_ui->senderName, kTextSenderNameEmpty));
    MarkField(m_ui->senderAddress, empty(m_ui->senderAddress, kTextSenderAddressEmpty));
    // An export needs every address valid.
    std::vector<std::string> entries =
        ParseRecipients(m_ui->recipients->toPlainText().toStdString());
    QString problem;
    std::string invalid;
    for (const std::string& entry : entries) {
        if (!IsValidEmail(entry)) {
            invalid += "\n" + entry;
        }
    }
    if (entries.empty()) {
        problem = QString::fromStdString(LangString(kTextRecipientListEmpty));
    } else if (!invalid.empty()) {
        problem = QString::fromStdString(LangString(kTextInvalidAddresses) + invalid);
    }
    MarkField(m_ui->recipients, problem);
}

void CExportEmailProperties::Import() {
    QString path = CFileDialog::GetOpenFileName(this, QString(), QString());
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return;
    }
    std::vector<std::string> lines;
    while (!file.atEnd()) {
        lines.push_back(file.readLine(kLongestList).toStdString());
    }
    m_ui->recipients->setPlainText(QString::fromStdString(ImportedRecipients(lines)));
}

void CExportEmailProperties::Show(const CProfile* profile, bool readOnly) {
    auto text = [profile](std::string (CProfile::*get)() const) {
        return profile != nullptr ? QString::fromStdString((profile->*get)()) : QString();
    };
    QSignalBlocker recipients(m_ui->recipients);
    QSignalBlocker body(m_ui->body);
    m_ui->smtp->setText(text(&CProfile::GetSmtpServer));
    m_ui->smtpUser->setText(text(&CProfile::GetSmtpUserName));
    m_ui->smtpPassword->setText(text(&CProfile::GetSmtpPassword));
    {
        QSignalBlocker quiet(m_ui->plainLogin);
        m_ui->plainLogin->setChecked(profile != nullptr && profile->GetSmtpPlainLogin());
    }
    m_ui->senderName->setText(text(&CProfile::GetSenderName));
    m_ui->senderAddress->setText(text(&CProfile::GetSenderEmail));
    m_ui->recipients->setPlainText(text(&CProfile::GetRecipients));
    m_ui->subject->setText(text(&CProfile::GetSubject));
    m_ui->body->setPlainText(
        QString::fromStdString(ShownBody(profile != nullptr ? profile->GetText() : "")));
    for (QWidget* field : std::initializer_list<QWidget*>{
             m_ui->smtp, m_ui->smtpUser, m_ui->smtpPassword, m_ui->plainLogin, m_ui->senderName,
             m_ui->senderAddress, m_ui->recipients, m_ui->subject, m_ui->body, m_ui->import}) {
        field->setEnabled(!readOnly);
    }
    MarkProblems();
}

void CExportEmailProperties::Apply(CProfile& profile) const {
    profile.SetSmtpServer(textOf(m_ui->smtp, kLongestMailText));
    profile.SetSmtpUserName(textOf(m_ui->smtpUser, kLongestMailText));
    profile.SetSmtpPassword(textOf(m_ui->smtpPassword, kLongestMailText));
    profile.SetSmtpPlainLogin(m_ui->plainLogin->isChecked());
    profile.SetSenderName(textOf(m_ui->senderName, kLongestMailText));
    profile.SetSenderEmail(textOf(m_ui->senderAddress, kLongestMailText));
    profile.SetSubject(textOf(m_ui->subject, kLongestMailText));
    profile.SetRecipients(StoredRecipients(textOf(m_ui->recipients, kLongestList)));
    profile.SetText(StoredBody(textOf(m_ui->body, kLongestList)));
}
