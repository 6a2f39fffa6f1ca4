// The user's settings: one process-wide object over the settings store, with the defaults
// written at the first start.
#pragma once

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

    // Language of every text shown: 1031 German, 1033 English, 1036 French.
    unsigned short GetLangID() const { return m_langId.get(); }
    void SetLangID(unsigned short langId) { m_langId.set(langId); }

    // Full path of the running executable.
    static std::string GetProgramPath();

    // Where data defaults and trace files live, with a trailing "/": the executable's
    // directory when it is writable, else the per-user data directory.
    static std::string GetProgramDirectory();

    // 1031, 1036 or 1033, from the language of the user's locale.
    static unsigned short DefaultLangID();

    static constexpr const char* kDefaultWeatherFileName = "currdat.lst";

  private:
    friend class SingletonHolder<CSettings>;
    CSettings();

    registry_string<std::string> m_weatherFilePath{
        "Software\\Quillonsoft\\Skyvane\\WeatherFilePath"};
    registry_int<unsigned short> m_langId{"Software\\Quillonsoft\\Skyvane\\LangID"};
};
