// One image of the image list: its drawing, how and when it is published, and the live state
// the list shows. A work item of the export queue; every field access takes its own lock.
#pragma once

#include <QObject>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <pugixml.hpp>
#include <string>

#include "drawing/drawing.h"
#include "export/work_queue.h"
#include "profiles/schedule.h"

enum class ExportState { Deactivated = 0, Waiting = 1, Queued = 2, Running = 3, Finished = 4 };
enum class ExportType { Ftp = 0, Email = 1 };
enum class ConnectionType { Direct = 0, Dialup = 1 };

class CProfile;
class CWin32Thread;

// The one-second tick of a profile.
class CProfileSchedule : public CSchedule {
  public:
    void Bind(CProfile* profile, QObject* view);
    void Tick() override;

  private:
    CProfile* m_profile = nullptr;
    QObject* m_view = nullptr;
};

// "<word> (<days>:<hh>:<mm>:<ss>)", e.g. "Waiting (0:00:14:59)".
std::string FormatStatusText(unsigned wordId, std::int64_t seconds);

// The time of day in the user's locale time format, with seconds.
std::string FormatTimeOfDay(Clock::TimePoint when);

class CProfile : public WorkItemBase {
  public:
    // A deactivated profile with a new empty drawing; view receives its messages (may be null).
    CProfile(const std::string& name, QObject* view, bool bindSchedule = true);
    // Waits until the export queue no longer holds or runs this profile.
    ~CProfile() override;

    // Runs one export and records its outcome.
    void Execute(void* threadContext) override;
    // Nothing to do when a queued profile is dropped at shutdown.
    void Cancel() override {}
    // Ends a running export soon; it is then recorded as failed.
    void Abort() override;

    // Reads the attributes and the drawing of a profile element.
    virtual bool LoadFromXml(const pugi::xml_node& node);
    // Writes the 22 attributes in order, then the drawing child.
    virtual bool SaveToXml(pugi::xml_node& node) const;

#define SKYVANE_TEXT_FIELD(Name, member)                     \
    std::string Get##Name() const {                          \
        std::lock_guard<std::recursive_mutex> guard(m_lock); \
        return member;                                       \
    }                                                        \
    void Set##Name(const std::string& value) {               \
        std::lock_guard<std::recursive_mutex> guard(m_lock); \
        member = value;                                      \
    }
    SKYVANE_TEXT_FIELD(SmtpUserName, m_smtpusername)
    SKYVANE_TEXT_FIELD(SmtpPassword, m_smtppassword)
    SKYVANE_TEXT_FIELD(LastStatus, m_laststatus)
    SKYVANE_TEXT_FIELD(LastError, m_lasterror)
    SKYVANE_TEXT_FIELD(ServerName, m_servername)
    SKYVANE_TEXT_FIELD(UserName, m_username)
    SKYVANE_TEXT_FIELD(Password, m_password)
    SKYVANE_TEXT_FIELD(FilePath, m_filepath)
    SKYVANE_TEXT_FIELD(FileName, m_filename)
    SKYVANE_TEXT_FIELD(ConnectionName, m_connectionname)
    SKYVANE_TEXT_FIELD(SmtpServer, m_smtpserver)
    SKYVANE_TEXT_FIELD(SenderName, m_sendername)
    SKYVANE_TEXT_FIELD(SenderEmail, m_senderemail)
    SKYVANE_TEXT_FIELD(Recipients, m_recipients)
    SKYVANE_TEXT_FIELD(Subject, m_subject)
    SKYVANE_TEXT_FIELD(Text, m_text)
    // Where the published image is seen on the web; "" when no export checks it.
    SKYVANE_TEXT_FIELD(WebUrl, m_weburl)
#undef SKYVANE_TEXT_FIELD

    std::string GetName() const;
    void SetName(const std::string& name);
    std::string GetStatusText() const;
    // Stores the text and posts the status message to the view.
    void SetStatusText(const std::string& text);
    std::string GetLastStartTime() const;
    std::string GetLastFinishTime() const;
    // An empty text means now, as the time of day in the user's format.
    void SetLastStartTime(const std::string& text);
    void SetLastFinishTime(const std::string& text);

    ExportType GetExportType() const;
    void SetExportType(ExportType type);
    ConnectionType GetConnectionType() const;
    void SetConnectionType(ConnectionType type);
    std::int64_t GetFirstStartDateTime() const;
    void SetFirstStartDateTime(std::int64_t secondsSince1970);
    bool GetModified() const;
    void SetModified(bool modified);
    std::int64_t GetCountdown() const;
    void SetCountdown(std::int64_t seconds);
    ExportState GetState() const;
    void SetState(ExportState state);
    bool IsWaiting() const {
        return GetState() == ExportState::Waiting;
    }
    bool IsQueued() const {
        return GetState() == ExportState::Queued;
    }
    bool IsRunning() const {
        return GetState() == ExportState::Running;
    }
    bool IsFinished() const {
        return GetState() == ExportState::Finished;
    }

    std::int64_t GetInterval() const;
    // Minutes between the end of one export and the start of the next; restarts the wait.
    void SetInterval(std::int32_t minutes);
    bool GetActive() const;
    // Switches the profile on (waiting, due within a second or at its first start) or off.
    void SetActive(bool active);
    // True: FTP never tries active mode first.
    bool GetFtpPassive() const;
    void SetFtpPassive(bool passive);
    // Send the WebDAV password over dav:// even where the server wants it in plain text.
    bool GetDavPlainLogin() const;
    void SetDavPlainLogin(bool allow);
    // Log in to the SMTP server even where it offers no TLS.
    bool GetSmtpPlainLogin() const;
    void SetSmtpPlainLogin(bool allow);
    // Minutes the readings may be old for the image to be published; 0: any age.
    int GetMaxDataAge() const;
    void SetMaxDataAge(int minutes);
    bool GetSuspended() const;
    // A suspended profile ticks no more and is never queued (shutdown).
    void SetSuspended(bool suspended);
    // Stops the tick and starts it again when the profile is active.
    void Reschedule();
    // Puts the profile into the application's export queue, unless it is suspended.
    void QueueForExport();

    CDrawing* GetDrawing() const {
        return m_drawing.get();
    }
    QObject* GetView() const {
        return m_view;
    }
    const CProfileSchedule& GetSchedule() const {
        return m_schedule;
    }

  private:
    mutable std::recursive_mutex m_lock;
    // Guards the runner of the export under way, which Abort reaches from another thread.
    std::mutex m_runnerLock;
    CWin32Thread* m_runner = nullptr;
    bool m_abortRequested = false;
    std::int64_t m_countdown = 0;
    CProfileSchedule m_schedule;
    bool m_suspended = false;
    QObject* m_view = nullptr;
    std::unique_ptr<CDrawing> m_drawing;
    ExportType m_exporttype = ExportType::Ftp;
    std::int64_t m_firststartdatetime = 0;
    std::int64_t m_intervall = 1;
    bool m_active = false;
    std::string m_smtpusername;
    std::string m_smtppassword;
    std::string m_name;
    std::string m_statustext;
    std::string m_laststatus;
    std::string m_lastfinishtime;
    std::string m_laststarttime;
    std::string m_lasterror;
    bool m_modified = false;
    ConnectionType m_connectiontype = ConnectionType::Direct;
    std::string m_servername;
    std::string m_username;
    std::string m_password;
    std::string m_filepath;
    std::string m_filename;
    bool m_ftppassive = false;
    bool m_davplainlogin = false;
    bool m_smtpplainlogin = false;
    int m_maxdataage = 0;
    std::string m_weburl;
    std::string m_connectionname;
    std::string m_smtpserver;
    std::string m_sendername;
    std::string m_senderemail;
    std::string m_recipients;
    std::string m_subject;
    std::string m_text;
    ExportState m_state = ExportState::Waiting;
    bool m_everQueued = false;
};
