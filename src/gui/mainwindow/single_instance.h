// One publisher per user: the first start holds a lock in the runtime folder and listens on a
// local socket beside it; a second start finds the lock, asks the first to come to the front
// and ends.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QTimer>
#include <memory>

class CSingleInstance : public QObject {
    Q_OBJECT
  public:
    // name tells instances apart ("skyvane" for the program; tests use their own).
    explicit CSingleInstance(const QString& name = "skyvane");
    ~CSingleInstance() override;

    // True when this process is the first: it then listens for later starts.
    bool Claim();
    // A later start: asks the first to come to the front; false when none answered.
    bool HandOver();

    // How often the first start checks that its socket is still there.
    static constexpr int kSocketCheckMs = 2000;

  signals:
    // Another start asked this one to show itself.
    void activationRequested();

  private:
    void Listen();

    QString m_socket;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
    QTimer m_watch;
};
