// A webcam on 127.0.0.1 (tests/servers/camera_server.py): a picture file behind basic or digest
// authentication, plain or over TLS, and the ways a camera goes wrong.
#pragma once

#include "support/script_server.h"

class CameraServer : public ScriptServer {
  public:
    // Serves picture to user:password; over TLS when certificate and key are given.
    CameraServer(const QString& picture, const QString& user, const QString& password,
                 const QString& certificate = {}, const QString& key = {})
        : ScriptServer(
              "camera_server.py",
              QStringList{picture, user, password} +
                  (certificate.isEmpty() ? QStringList{} : QStringList{certificate, key})) {}
};
