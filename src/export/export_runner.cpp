#include "export/export_runner.h"

#include <stdexcept>

#include "base/app_message.h"
#include "base/lang_string.h"
#include "base/string_ids.h"
#include "export/image_file.h"
#include "net/internet.h"
#include "profiles/profile.h"
#include "weather/weather_data.h"

namespace {

// The OK command a successful export sends.
constexpr unsigned kCommandMessage = 0x0111;
constexpr quintptr kOkCommand = 1;

}  // namespace

CExportRunner::CExportRunner(CProfile* profile)
    : m_profile(profile),
      m_drawing(profile->GetDrawing()),
      m_exportType(profile->GetExportType()),
      m_connectionType(profile->GetConnectionType()),
      m_connectionName(profile->GetConnectionName()),
      m_email{profile->GetSmtpServer(), profile->GetSmtpUserName(), profile->GetSmtpPassword(),
              profile->GetSenderName(), profile->GetSenderEmail(),  profile->GetRecipients(),
              profile->GetSubject(),    profile->GetText()},
      m_ftp{profile->GetServerName(), profile->GetUserName(), profile->GetPassword(),
            profile->GetFilePath(), profile->GetFileName()} {}

CExportRunner::~CExportRunner() {
    RequestStop(UINT_MAX);
}

void CExportRunner::BeginStep(unsigned stringId) {
    m_currentStep = stringId;
    if (!IsStopRequested()) {
        PostAppMessage(GetNotifyWindow(), kExportProgress, stringId, m_profile);
    }
}

void CExportRunner::CleanUpStep(unsigned stringId) {
    // After a failure the step that failed stays the current one.
    if (m_errorText.empty()) {
        m_currentStep = stringId;
    }
    if (!IsStopRequested()) {
        PostAppMessage(GetNotifyWindow(), kExportProgress, stringId, m_profile);
    }
}

void CExportRunner::Publish(const CImageBuffer& image) {
    if (m_exportType == ExportType::Email) {
        SendImageByEmail(m_email, image.Data(), image.Size(),
                         m_drawing->GetImageFormat() == kJpegFormat);
        return;
    }
    UploadByFtp(m_ftp, image.Data(), image.Size());
}

void CExportRunner::Run() {
    bool dialled = false;
    std::string closedConnection;
    try {
        BeginStep(kStepLoadingWeatherData);
        if (!CWeatherData::Instance().Reload()) {
            throw std::runtime_error(LangString(kTextCouldNotParseWeatherData));
        }
        BeginStep(kStepCheckingDialup);
        if (m_connectionType == ConnectionType::Dialup &&
            m_dialup.CheckDialupConnection(m_connectionName)) {
            if (m_dialup.FreeDialupDevice(m_connectionName, closedConnection)) {
                BeginStep(kStepClosingDialup);
                m_dialup.HangUp(closedConnection);
            }
            BeginStep(kStepOpeningDialup);
            dialled = m_dialup.OpenDialupConnection(m_connectionName);
        }
        CImageBuffer image = RenderImage(*m_drawing);
        BeginStep(m_exportType == ExportType::Ftp ? kStepCopyingImage : kStepSendingEmails);
        Publish(image);
    } catch (const CInternetException& error) {
        m_errorText = error.GetMessage();
    } catch (const std::runtime_error& error) {
        m_errorText = error.what();
    } catch (...) {
        m_errorText = "Unknown error";
    }
    // The machine is left as it was found, also after a failure.
    try {
        if (dialled) {
            CleanUpStep(kStepClosingDialup);
            m_dialup.HangUp(m_connectionName);
        }
        if (!closedConnection.empty()) {
            CleanUpStep(kStepRestoringDialup);
            m_dialup.Restore(closedConnection);
        }
    } catch (...) {
        m_errorText = "Unknown error";
    }
    if (IsStopRequested()) {
        return;
    }
    if (!m_errorText.empty()) {
        PostAppMessage(GetNotifyWindow(), kExportProgress, kWordError, m_profile);
    } else {
        PostAppMessage(GetNotifyWindow(), kCommandMessage, kOkCommand, m_profile);
    }
}
