#include "platform/qt/quit_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <stdexcept>

namespace twl {
namespace {

constexpr std::array<int, 3> quitSignals{SIGTERM, SIGINT, SIGHUP};

// The handler may only write to a descriptor: the event loop does the rest.
int wakeFds[2] = {-1, -1};
std::array<struct sigaction, quitSignals.size()> previous{};

void onQuitSignal(int signal) {
    const int savedErrno = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const auto written = ::write(wakeFds[0], &byte, 1);
    errno = savedErrno;
}

}  // namespace

QuitSignals::QuitSignals(QObject* parent) : QObject(parent) {
    if (wakeFds[0] != -1) {
        throw std::logic_error("only one QuitSignals may exist at a time");
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, wakeFds) != 0) {
        throw std::runtime_error("cannot make the quit signal pipe");
    }
    notifier_ = std::make_unique<QSocketNotifier>(wakeFds[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &QuitSignals::drain);

    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < quitSignals.size(); ++i) {
        ::sigaction(quitSignals[i], &action, &previous[i]);
    }
}

QuitSignals::~QuitSignals() {
    for (std::size_t i = 0; i < quitSignals.size(); ++i) {
        ::sigaction(quitSignals[i], &previous[i], nullptr);
    }
    notifier_.reset();
    ::close(wakeFds[0]);
    ::close(wakeFds[1]);
    wakeFds[0] = wakeFds[1] = -1;
}

void QuitSignals::drain() {
    std::array<char, 16> bytes{};
    bool any = false;
    while (::read(wakeFds[1], bytes.data(), bytes.size()) > 0) {
        any = true;
    }
    if (any) {
        emit quitRequested();
    }
}

}  // namespace twl
