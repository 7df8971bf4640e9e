// The longest the client keeps its UI thread from its events while a user
// walks its real screens: sign-in, the main screen, connect with the
// administrator dialog (a wrong password, then the right one), disconnect and
// sign-out. A 10 ms timer on the UI thread is the heartbeat; the figure is the
// longest gap between two of its ticks, and the step it fell in.
//
// The client runs in this process with its real adapters on the offscreen
// platform, against the local provider, whose every answer (the public
// address among them) comes after 3 s; a real sudo checks a throwaway
// administrator's password; NetworkManager's start and stop take 2 s each.
// Everything that would change the host happens inside private network and
// mount namespaces of a child process, which is killed with all it started
// should the walk not end in time. Needs root.
//   twl_stall_bench
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <thread>

#include "account/devprovider_process.h"
#include "heartbeat.h"
#include "platform/posix/executable_bundle.h"
#include "platform/qt/interface_components.h"
#include "screen_walk.h"
#include "screens/desktop_client.h"
#include "stand_in_road.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using twl::bench::Heartbeat;
using twl::test_support::StandInRoad;

constexpr int publicIpDelaySeconds = 3;
constexpr int startStopSeconds = 2;
constexpr auto walkLimit = 300s;
constexpr const char* publicIp = "203.0.113.7";
constexpr const char* accountName = "stall";
constexpr const char* accountPassword = "stall-pass";

volatile sig_atomic_t interrupted = 0;

double milliseconds(Heartbeat::Clock::duration span) {
    return std::chrono::duration<double, std::milli>(span).count();
}

void report(std::FILE* out, const Heartbeat& heartbeat) {
    const auto noticeable = static_cast<long long>(Heartbeat::noticeable.count());
    std::fprintf(out, "%-16s %9s %13s   gaps >= %lld ms\n", "step", "took", "longest gap",
                 noticeable);
    for (const auto& step : heartbeat.steps()) {
        std::fprintf(out, "%-16s %7.2f s %10.1f ms   %d\n", step.name.c_str(),
                     milliseconds(step.took) / 1000, milliseconds(step.longestGap),
                     step.noticeableGaps);
    }
    const auto& worst = heartbeat.worst();
    std::fprintf(out, "\n%-26s %9.1f ms   in \"%s\" (heartbeat every %lld ms)\n",
                 "longest UI-thread stall", milliseconds(worst.longestGap), worst.name.c_str(),
                 static_cast<long long>(Heartbeat::period.count()));
}

// The offscreen platform's complaints about window calls it has no use for.
void quietOffscreenNoise(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith(QStringLiteral("This plugin does not support")) ||
        text.contains(QStringLiteral("systemTrayWindowChanged"))) {
        return;
    }
    std::cerr << qPrintable(qFormatLogMessage(type, context, text)) << "\n";
}

void require(const std::string& why) {
    if (!why.empty()) {
        throw std::runtime_error(why);
    }
}

// The walk itself, in the child: the sandbox, the provider, the client, the
// figure on `out`.
void walk(std::FILE* out) {
    StandInRoad road;
    require(road.setUp(startStopSeconds));
    require(road.becomeAdministrator());
    const auto& admin = road.administrator();
    const fs::path& bundleRoot = road.bundleRoot();

    twl::fakes::DevproviderProcess provider(twl::fakes::DevproviderSetup{
        .accounts = nlohmann::json::array({{{"user", accountName},
                                            {"password", accountPassword},
                                            {"status", "Paid"},
                                            {"message", ""}}}),
        .arguments = {"--public-ip", publicIp, "--delay", std::to_string(publicIpDelaySeconds)},
        .program = (bundleRoot / "bin" / "tidewaterlink-devprovider").string()});
    int argc = 1;
    char name[] = "tidewaterlink";
    char* argv[] = {name, nullptr};
    qInstallMessageHandler(quietOffscreenNoise);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tidewaterlink"));
    twl::installInterfaceComponents(application);
    Heartbeat heartbeat;
    {
        twl::DesktopClient client(twl::ExecutableBundle(bundleRoot / "bin" / "tidewaterlink"),
                                  twl::Endpoints{provider.baseUrl(), provider.baseUrl(),
                                                 "vpn1.stall.test", provider.caFile()},
                                  [] { return false; });
        twl::bench::ScreenWalk(client, heartbeat,
                               {.accountName = accountName,
                                .accountPassword = accountPassword,
                                .adminName = admin.name,
                                .adminPassword = admin.password,
                                .publicIp = publicIp,
                                .settle = std::chrono::seconds(publicIpDelaySeconds + 1)})
            .run();
        client.shell().terminate();
    }
    report(out, heartbeat);
}

// In the child: the figure goes to the real standard output, the client's
// own diagnostic lines to /dev/null.
int walkInChild() {
    std::FILE* out = ::fdopen(::dup(STDOUT_FILENO), "w");
    std::FILE* sink = std::fopen("/dev/null", "w");
    if (out == nullptr || sink == nullptr || ::dup2(::fileno(sink), STDOUT_FILENO) < 0) {
        std::cerr << "twl_stall_bench: cannot set standard output aside\n";
        return 1;
    }
    std::fclose(sink);
    try {
        walk(out);
    } catch (const std::exception& failure) {
        std::cerr << "twl_stall_bench: " << failure.what() << "\n";
        return 1;
    }
    std::fclose(out);
    return 0;
}

void noteInterrupt(int) {
    interrupted = 1;
}

// Waits for the walk within its limit; past it, or when interrupted, ends the
// walk's whole process group (the provider and the stand-in daemon with it).
int supervise(pid_t child) {
    ::signal(SIGINT, noteInterrupt);
    ::signal(SIGTERM, noteInterrupt);
    const auto deadline = std::chrono::steady_clock::now() + walkLimit;
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (interrupted != 0 || std::chrono::steady_clock::now() > deadline) {
            ::kill(-child, SIGKILL);
            ::waitpid(child, &status, 0);
            std::cerr << "twl_stall_bench: "
                      << (interrupted != 0 ? "interrupted"
                                           : "the walk did not end within " +
                                                 std::to_string(walkLimit.count()) + " s")
                      << "; stopped it and everything it started\n";
            return 1;
        }
        std::this_thread::sleep_for(100ms);
    }
    if (WIFSIGNALED(status)) {
        std::cerr << "twl_stall_bench: the walk died of signal " << WTERMSIG(status) << "\n";
        return 1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main() {
    std::cout.flush();
    const pid_t child = ::fork();
    if (child < 0) {
        std::perror("twl_stall_bench: fork");
        return 1;
    }
    if (child == 0) {
        ::setpgid(0, 0);
        ::_exit(walkInChild());
    }
    ::setpgid(child, child);  // whichever of the two comes first
    return supervise(child);
}
