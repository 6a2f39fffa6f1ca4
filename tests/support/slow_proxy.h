// A slow link in front of a local server (tests/servers/slow_proxy.py): everything the server
// sends arrives a fixed delay late.
#pragma once

#include "support/script_server.h"

class SlowLink : public ScriptServer {
  public:
    SlowLink(int targetPort, double delaySeconds)
        : ScriptServer("slow_proxy.py",
                       {QString::number(targetPort), QString::number(delaySeconds)}) {}
};
