#include "profiles/profile.h"

#include <QLocale>
#include <QTime>
#include <algorithm>
#include <cinttypes>

#include "base/app_message.h"
#include "base/lang_string.h"
#include "base/string_ids.h"
#include "drawing/xml_attributes.h"
#include "export/export_runner.h"

namespace {

// The 64-bit number of an attribute; fallback when it is missing or empty.
std::int64_t readInt64(const pugi::xml_node& node, const char* name, std::int64_t fallback) {
    const char* text = node.attribute(name).as_string();
    return *text == '\0' ? fallback : std::strtoll(text, nullptr, 10);
}

}  // namespace

std::string FormatStatusText(unsigned wordId, std::int64_t seconds) {
    char countdown[64];
    std::snprintf(countdown, sizeof countdown, "%" PRId64 ":%02" PRId64 ":%02" PRId64 ":%02" PRId64,
                  seconds / 86400, seconds / 3600 % 24, seconds / 60 % 60, seconds % 60);
    return LangString(wordId) + " (" + countdown + ")";
}

std::string FormatTimeOfDay(Clock::TimePoint when) {
    std::tm local{};
    int millisecond = 0;
    if (!Clock::ToLocal(when, local, millisecond)) {
        return "";
    }
    QLocale locale = QLocale::system();
    QString format = locale.timeFormat(QLocale::ShortFormat);
    // Short formats leave the seconds out; they belong in after the minutes.
    if (!format.contains('s')) {
        format.replace("mm", "mm:ss");
    }
    return locale.toString(QTime(local.tm_hour, local.tm_min, local.tm_sec), format)
        .left(255)
        .toStdString();
}

void CProfileSchedule::Bind(CProfile* profile, QObject* view) {
    m_profile = profile;
    m_view = view;
}

void CProfileSchedule::Tick() {
    CProfile& profile = *m_profile;
    unsigned word = 0;
    switch (profile.GetState()) {
        case ExportState::Waiting: {
            std::int64_t left = profile.GetCountdown() - 1;
            if (left <= 0) {
                profile.SetCountdown(0);
                profile.SetState(ExportState::Queued);
                profile.QueueForExport();
                word = kWordQueued;
            } else {
                profile.SetCountdown(left);
                word = kWordWaiting;
            }
            break;
        }
        case ExportState::Running:
            profile.SetCountdown(profile.GetCountdown() + 1);
            word = kWordRunning;
            break;
        case ExportState::Queued:
            profile.SetCountdown(profile.GetCountdown() + 1);
            word = kWordQueued;
            break;
        case ExportState::Finished:
            profile.SetCountdown(profile.GetInterval() * 60);
            profile.SetState(ExportState::Waiting);
            word = kWordFinished;
            break;
        case ExportState::Deactivated:
            return;
    }
    if (!profile.GetSuspended()) {
        profile.SetStatusText(FormatStatusText(word, profile.GetCountdown()));
    }
}

CProfile::CProfile(const std::string& name, QObject* view, bool bindSchedule) {
    if (bindSchedule) {
        m_schedule.Bind(this, view);
    }
    m_view = view;
    m_drawing = std::make_unique<CDrawing>(nullptr, this);
    SetInterval(1);
    m_firststartdatetime = Clock::NowSeconds();
    m_state = ExportState::Waiting;
    SetName(name);
    SetSuspended(false);
    SetActive(false);
}

CProfile::~CProfile() {
    m_schedule.Stop();
    if (m_everQueued) {
        try {
            CWorkQueue::Application().Withdraw(this);
        } catch (const std::logic_error&) {
            // The queue was destroyed at exit: nothing holds this profile any more.
        }
    }
}

#define SKYVANE_LOCKED_GET(Type, Name, member)               \
    Type CProfile::Get##Name() const {                       \
        std::lock_guard<std::recursive_mutex> guard(m_lock); \
        return member;                                       \
    }
#define SKYVANE_LOCKED_SET(Type, Name, member)               \
    void CProfile::Set##Name(Type value) {                   \
        std::lock_guard<std::recursive_mutex> guard(m_lock); \
        member = value;                                      \
    }
SKYVANE_LOCKED_GET(std::string, Name, m_name)
SKYVANE_LOCKED_GET(std::string, StatusText, m_statustext)
SKYVANE_LOCKED_GET(std::string, LastStartTime, m_laststarttime)
SKYVANE_LOCKED_GET(std::string, LastFinishTime, m_lastfinishtime)
SKYVANE_LOCKED_GET(ExportType, ExportType, m_exporttype)
SKYVANE_LOCKED_SET(ExportType, ExportType, m_exporttype)
SKYVANE_LOCKED_GET(ConnectionType, ConnectionType, m_connectiontype)
SKYVANE_LOCKED_SET(ConnectionType, ConnectionType, m_connectiontype)
SKYVANE_LOCKED_GET(std::int64_t, FirstStartDateTime, m_firststartdatetime)
SKYVANE_LOCKED_SET(std::int64_t, FirstStartDateTime, m_firststartdatetime)
SKYVANE_LOCKED_GET(bool, Modified, m_modified)
SKYVANE_LOCKED_SET(bool, Modified, m_modified)
SKYVANE_LOCKED_GET(std::int64_t, Countdown, m_countdown)
SKYVANE_LOCKED_SET(std::int64_t, Countdown, m_countdown)
SKYVANE_LOCKED_GET(ExportState, State, m_state)
SKYVANE_LOCKED_SET(ExportState, State, m_state)
SKYVANE_LOCKED_GET(std::int64_t, Interval, m_intervall)
SKYVANE_LOCKED_GET(bool, Active, m_active)
SKYVANE_LOCKED_GET(bool, Suspended, m_suspended)
SKYVANE_LOCKED_GET(bool, FtpPassive, m_ftppassive)
SKYVANE_LOCKED_SET(bool, FtpPassive, m_ftppassive)
SKYVANE_LOCKED_GET(bool, DavPlainLogin, m_davplainlogin)
SKYVANE_LOCKED_SET(bool, DavPlainLogin, m_davplainlogin)
SKYVANE_LOCKED_GET(bool, SmtpPlainLogin, m_smtpplainlogin)
SKYVANE_LOCKED_SET(bool, SmtpPlainLogin, m_smtpplainlogin)
SKYVANE_LOCKED_GET(int, MaxDataAge, m_maxdataage)
SKYVANE_LOCKED_SET(int, MaxDataAge, m_maxdataage)
#undef SKYVANE_LOCKED_GET
#undef SKYVANE_LOCKED_SET

void CProfile::SetName(const std::string& name) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_name = name;
}

void CProfile::SetStatusText(const std::string& text) {
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        m_statustext = text;
    }
    PostAppMessage(m_view, kProfileStatus, 0, this);
}

void CProfile::SetLastStartTime(const std::string& text) {
    std::string value = text.empty() ? FormatTimeOfDay(Clock::Now()) : text;
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_laststarttime = value;
}

void CProfile::SetLastFinishTime(const std::string& text) {
    std::string value = text.empty() ? FormatTimeOfDay(Clock::Now()) : text;
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_lastfinishtime = value;
}

void CProfile::SetInterval(std::int32_t minutes) {
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        m_intervall = minutes;
        m_countdown = m_intervall * 60;
    }
    Reschedule();
}

void CProfile::SetActive(bool active) {
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        m_active = active;
        m_state = active ? ExportState::Waiting : ExportState::Deactivated;
        m_countdown = 1;
        std::int64_t now = Clock::NowSeconds();
        if (m_firststartdatetime > now) {
            m_countdown = m_firststartdatetime - now + 1;
        }
    }
    Reschedule();
}

void CProfile::SetSuspended(bool suspended) {
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        m_suspended = suspended;
    }
    if (suspended) {
        m_schedule.Stop();
    }
}

void CProfile::Reschedule() {
    m_schedule.Stop();
    m_schedule.SetPeriod(1000);
    if (!GetActive()) {
        SetStatusText(LangString(kWordDeactivated));
    } else {
        m_schedule.Start();
    }
}

void CProfile::QueueForExport() {
    {
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        if (m_suspended) {
            return;
        }
        m_everQueued = true;
    }
    CWorkQueue::Application().Insert(this);
}

void CProfile::Execute(void*) {
    SetLastError("");
    SetState(ExportState::Running);
    SetSuspended(false);
    SetLastStartTime("");
    std::string error;
    {
        CExportRunner runner(this);
        {
            std::lock_guard<std::mutex> guard(m_runnerLock);
            runner.Start();
            m_runner = &runner;
            if (m_abortRequested) {
                runner.SignalStop();
            }
        }
        PostAppMessage(m_view, kExportStarted, 0, this);
        runner.Wait(UINT_MAX);
        std::lock_guard<std::mutex> guard(m_runnerLock);
        m_runner = nullptr;
        m_abortRequested = false;
        error = runner.GetExportError();
    }
    SetLastFinishTime("");
    if (!error.empty()) {
        SetLastStatus(LangString(kWordError));
        SetLastError(error);
        PostAppMessage(m_view, kExportFailed, 0, this);
    } else {
        SetLastStatus(LangString(kWordSuccess));
        SetLastError("");
        PostAppMessage(m_view, kExportSucceeded, 0, this);
    }
    SetState(ExportState::Finished);
}

void CProfile::Abort() {
    std::lock_guard<std::mutex> guard(m_runnerLock);
    m_abortRequested = true;
    if (m_runner != nullptr) {
        m_runner->SignalStop();
    }
}

bool CProfile::LoadFromXml(const pugi::xml_node& node) {
    pugi::xml_node drawing = node.find_node(
        [](const pugi::xml_node& child) { return std::string_view(child.name()) == "drawing"; });
    if (drawing) {
        m_drawing->LoadFromXml(drawing);
    }
    SetName(readString(node, "name", "Image"));
    SetInterval(readInt(node, "intervall", 1));
    {
        // Stored as they are: an image that never ran has no times to show.
        std::lock_guard<std::recursive_mutex> guard(m_lock);
        m_laststarttime = readString(node, "laststarttime", "");
        m_lastfinishtime = readString(node, "lastfinishtime", "");
    }
    SetExportType(static_cast<ExportType>(readInt(node, "exporttype", 0)));
    SetFirstStartDateTime(readInt64(node, "firststartdatetime", Clock::NowSeconds()));
    SetConnectionType(static_cast<ConnectionType>(readInt(node, "connectiontype", 0)));
    SetConnectionName(readString(node, "connectionname", ""));
    SetServerName(readString(node, "servername", ""));
    SetUserName(readString(node, "username", ""));
    SetPassword(readString(node, "password", ""));
    SetFilePath(readString(node, "filepath", ""));
    SetFileName(readString(node, "filename", ""));
    SetFtpPassive(readBool(node, "ftppassive", false));
    SetWebUrl(readString(node, "weburl", ""));
    SetMaxDataAge(std::max(readInt(node, "maxdataage", 0), 0));
    SetDavPlainLogin(readBool(node, "davplainlogin", false));
    SetSmtpServer(readString(node, "smtpserver", ""));
    SetSmtpUserName(readString(node, "smtpusername", ""));
    SetSmtpPassword(readString(node, "smtppassword", ""));
    SetSmtpPlainLogin(readBool(node, "smtpplainlogin", false));
    SetSenderName(readString(node, "sendername", ""));
    SetSenderEmail(readString(node, "senderemail", ""));
    SetRecipients(readString(node, "recipients", ""));
    SetSubject(readString(node, "subject", ""));
    SetText(readString(node, "text", ""));
    SetActive(readBool(node, "active", false));
    return true;
}

bool CProfile::SaveToXml(pugi::xml_node& node) const {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    writeString(node, "name", m_name);
    writeInt(node, "intervall", static_cast<std::int32_t>(m_intervall));
    writeBool(node, "active", m_active);
    writeString(node, "laststarttime", m_laststarttime);
    writeString(node, "lastfinishtime", m_lastfinishtime);
    writeInt(node, "exporttype", static_cast<long>(m_exporttype));
    writeString(node, "firststartdatetime", std::to_string(m_firststartdatetime));
    writeInt(node, "connectiontype", static_cast<long>(m_connectiontype));
    writeString(node, "connectionname", m_connectionname);
    writeString(node, "servername", m_servername);
    writeString(node, "username", m_username);
    writeString(node, "password", m_password);
    writeString(node, "filepath", m_filepath);
    writeString(node, "filename", m_filename);
    // Only when set, so that lists that never use it stay as they were.
    if (m_ftppassive) {
        writeBool(node, "ftppassive", true);
    }
    if (!m_weburl.empty()) {
        writeString(node, "weburl", m_weburl);
    }
    if (m_maxdataage > 0) {
        writeInt(node, "maxdataage", m_maxdataage);
    }
    if (m_davplainlogin) {
        writeBool(node, "davplainlogin", true);
    }
    writeString(node, "smtpserver", m_smtpserver);
    writeString(node, "smtpusername", m_smtpusername);
    writeString(node, "smtppassword", m_smtppassword);
    if (m_smtpplainlogin) {
        writeBool(node, "smtpplainlogin", true);
    }
    writeString(node, "sendername", m_sendername);
    writeString(node, "senderemail", m_senderemail);
    writeString(node, "recipients", m_recipients);
    writeString(node, "subject", m_subject);
    writeString(node, "text", m_text);
    pugi::xml_node drawing = node.append_child("drawing");
    return m_drawing->SaveToXml(drawing);
}
