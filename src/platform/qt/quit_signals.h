#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace twl {

// Turns SIGTERM, SIGINT and SIGHUP (a logout, a kill, Ctrl+C, a closed
// terminal) into a request to quit, delivered on the event loop so that the
// client quits through its one quit path. One instance at a time.
class QuitSignals final : public QObject {
    Q_OBJECT

  public:
    explicit QuitSignals(QObject* parent = nullptr);
    ~QuitSignals() override;
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

  signals:
    void quitRequested();

  private:
    void drain();

    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace twl
