#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <filesystem>

namespace twl {

// One client per user: the first launch listens on a per-user local socket,
// and a later launch asks it to bring its window back instead of starting a
// second client. A socket left behind by a client that crashed, or one
// another user listens on, is replaced.
class SingleInstance final : public QObject {
    Q_OBJECT

  public:
    enum class Claim {
        first,           // this process is the client now, and listens
        reachedRunning,  // another client runs and has been asked to reopen
        unavailable,     // no socket could be made; this process runs alone
    };

    // tidewaterlink.socket in the folder, which must be the user's alone: in
    // a folder others may write to, anyone could answer for the client.
    static QString socketPathIn(const std::filesystem::path& privateFolder);

    // An empty path: the claim is unavailable.
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
