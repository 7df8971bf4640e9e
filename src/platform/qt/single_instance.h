#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace twl {

// One client per user: the first launch listens on a per-user local socket,
// and a later launch asks it to bring its window back instead of starting a
// second client. A socket left behind by a client that crashed is replaced.
class SingleInstance final : public QObject {
    Q_OBJECT

  public:
    enum class Claim {
        first,           // this process is the client now, and listens
        reachedRunning,  // another client runs and has been asked to reopen
        unavailable,     // no socket could be made; this process runs alone
    };

    // <user's runtime folder>/tidewaterlink.socket; the folder is private to
    // the user ($XDG_RUNTIME_DIR).
    static QString defaultSocketPath();

    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);

    Claim claim();

  signals:
    // Another launch asked this client to bring its window back.
    void reopenRequested();

  private:
    bool askRunningToReopen() const;
    void accept();

    QString socketPath_;
    QLocalServer server_;
};

}  // namespace twl
