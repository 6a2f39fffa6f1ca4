// The user's settings: one process-wide object over the settings store, with the defaults
// written at the first start.
#pragma once

#include <atomic>
#include <string>

#include "base/registry_value.h"
#include "base/singleton.h"

class CSettings {
  public:
    // The one settings object; "Dead Reference Detected" after process exit.
    static CSettings& Instance() { return SingletonHolder<CSettings>::Instance(); }

    // Full path of the weather data file.
    std::string GetWeatherFilePath() const { return m_weatherFilePath.get(); }
    void SetWeatherFilePath(const std::string& path) { m_weatherFilePath.set(path); }

    // 1 when the program starts with the user's session; writing it also writes or removes
    // the autostart entry.
    int GetStartAutomatically() const { return m_startAutomatically.get(); }
    void SetStartAutomatically(int start);
    // The desktop program's first start: starting with the session is on unless the user
    // decided otherwise before. Nothing else registers the program.
    void RegisterFirstStart();

    int GetDrawSelectionRectangle() const { return m_drawSelectionRectangle.get(); }
    void SetDrawSelectionRectangle(int draw) { m_drawSelectionRectangle.set(draw); }

    // Top-left corner of the main window; a negative coordinate is stored as 0.
    CPoint GetWindowPosition() const { return m_windowPosition.get(); }
    void SetWindowPosition(CPoint position);

    int GetWindowMinimized() const { return m_windowMinimized.get(); }
    void SetWindowMinimized(int minimized) { m_windowMinimized.set(minimized); }
    int GetShowInSystemTray() const { return m_showInSystemTray.get(); }
    void SetShowInSystemTray(int show) { m_showInSystemTray.set(show); }
    int GetShowTooltipHelp() const { return m_showTooltipHelp.get(); }
    void SetShowTooltipHelp(int show) { m_showTooltipHelp.set(show); }

    // Full path of the image list file loaded at start and saved to.
    std::string GetOpenedFile() const { return m_openedFile.get(); }
    void SetOpenedFile(const std::string& path) { m_openedFile.set(path); }

    int GetSnapOffset() const { return m_snapOffset.get(); }
    void SetSnapOffset(int offset) { m_snapOffset.set(offset); }
    int GetSnapElements() const { return m_snapElements.get(); }
    void SetSnapElements(int snap) { m_snapElements.set(snap); }

    // The test server of the Test button: an FTP account whose folder a web server publishes.
    std::string GetTestServerName() const { return m_testServerName.get(); }
    void SetTestServerName(const std::string& server) { m_testServerName.set(server); }
    std::string GetTestUserName() const { return m_testUserName.get(); }
    void SetTestUserName(const std::string& user) { m_testUserName.set(user); }
    std::string GetTestPassword() const { return m_testPassword.get(); }
    void SetTestPassword(const std::string& password) { m_testPassword.set(password); }
    // The FTP folder; "mainwebsite_html/test" unless set.
    std::string GetTestFolder() const;
    void SetTestFolder(const std::string& folder) { m_testFolder.set(folder); }
    // The web address of that folder, to which the file name is appended.
    std::string GetTestWebAddress() const { return m_testWebAddress.get(); }
    void SetTestWebAddress(const std::string& address) { m_testWebAddress.set(address); }

    // Language of every text shown: 1031 German, 1033 English, 1036 French. Read from the
    // store once and then kept: every text asks for it, and another language takes effect
    // after a restart anyway.
    unsigned short GetLangID() const;
    void SetLangID(unsigned short langId);

    // One of the sixteen custom colours of the colour picker (0x00BBGGRR); 0 when unset.
    unsigned long GetCustomColor(int index) const;
    void SetCustomColor(int index, unsigned long colour);

    // Full path of the running executable.
    static std::string GetProgramPath();

    // Where data defaults and trace files live, with a trailing "/": the executable's
    // directory when it is writable and not an installed program's bin folder, else the
    // per-user data directory.
    static std::string GetProgramDirectory();

    // The autostart entry of the user's session, "<config>/autostart/skyvane.desktop".
    static std::string AutostartEntryPath();

    // 1031, 1036 or 1033, from the language of the user's locale.
    static unsigned short DefaultLangID();

    static constexpr const char* kDefaultWeatherFileName = "currdat.lst";

  private:
    friend class SingletonHolder<CSettings>;
    CSettings();

    registry_string<std::string> m_weatherFilePath{
        "Software\\Quillonsoft\\Skyvane\\WeatherFilePath"};
    registry_int<int> m_startAutomatically{"Software\\Quillonsoft\\Skyvane\\StartAutomatically"};
    registry_int<int> m_drawSelectionRectangle{
        "Software\\Quillonsoft\\Skyvane\\DrawSelectionRectangle"};
    registry_binary<CPoint> m_windowPosition{"Software\\Quillonsoft\\Skyvane\\WindowPosition"};
    registry_int<int> m_windowMinimized{"Software\\Quillonsoft\\Skyvane\\WindowMinimized"};
    registry_int<int> m_showInSystemTray{"Software\\Quillonsoft\\Skyvane\\ShowInSystemTray"};
    registry_int<int> m_showTooltipHelp{"Software\\Quillonsoft\\Skyvane\\ShowTooltipHelp"};
    registry_string<std::string> m_openedFile{"Software\\Quillonsoft\\Skyvane\\OpenedFile"};
    registry_int<int> m_snapOffset{"Software\\Quillonsoft\\Skyvane\\SnapOffset"};
    registry_int<int> m_snapElements{"Software\\Quillonsoft\\Skyvane\\SnapElements"};
    registry_int<unsigned short> m_langId{"Software\\Quillonsoft\\Skyvane\\LangID"};
    registry_string<std::string> m_testServerName{
        "Software\\Quillonsoft\\Skyvane\\TestServer\\ServerName"};
    registry_string<std::string> m_testUserName{
        "Software\\Quillonsoft\\Skyvane\\TestServer\\UserName"};
    registry_string<std::string> m_testPassword{
        "Software\\Quillonsoft\\Skyvane\\TestServer\\Password"};
    registry_string<std::string> m_testFolder{"Software\\Quillonsoft\\Skyvane\\TestServer\\Folder"};
    registry_string<std::string> m_testWebAddress{
        "Software\\Quillonsoft\\Skyvane\\TestServer\\WebAddress"};
    mutable std::atomic<int> m_langIdKept{-1};
};
