// A web server for tests (tests/servers/web_server.py) on 127.0.0.1 and a free port, serving a
// folder over HTTP, or HTTPS with a certificate; "silent" makes it accept and never answer.
#pragma once

#include <string>

#include "support/script_server.h"

class LocalWebServer : public ScriptServer {
  public:
    explicit LocalWebServer(const std::string& root, const QStringList& behaviours = {})
        : ScriptServer("web_server.py", QStringList{QString::fromStdString(root)} + behaviours),
          m_scheme(behaviours.filter("cert=").isEmpty() ? "http" : "https") {}

    // The address of a path below the served folder ("" for the folder itself).
    std::string Url(const std::string& path) const {
        return m_scheme + "://127.0.0.1:" + std::to_string(Port()) + "/" + path;
    }

  private:
    std::string m_scheme;
};
