// From NetworkManager's signal to the main screen showing it: how long the
// client takes to show a VPN that has come up (VpnStateChanged to activated)
// and an attempt that has failed (the first StateChanged to deactivated or
// VpnStateChanged to failed), median and worst of several runs.
//
// The real NetworkManager, on a private system bus in private namespaces,
// with the tests' stand-in L2TP plugin (it brings a tunnel up, or refuses the
// login); the client's own wiring and screens, offscreen, in this process.
// The signal's moment is taken by dbus-monitor, a process of its own that
// hears it when the client does; the screen's by a 1 ms look at its label.
// Needs root.
//   twl_verdict_latency [runs]
#include <QApplication>
#include <QDateTime>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "attempting_client.h"
#include "platform/qt/interface_components.h"
#include "platform/qt_test_support.h"
#include "private_network_manager.h"
#include "test_support.h"

namespace {

using twl::test_support::AttemptingClient;
using twl::test_support::PrivateNetworkManager;

const std::string monitorLog = (PrivateNetworkManager::scratch() / "monitor.log").string();
const std::string control = (PrivateNetworkManager::scratch() / "stand-in-plugin").string();

double nowSeconds() {
    return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
}

// The moment dbus-monitor heard the first signal after `since` whose header
// names `member` and whose first argument is one of `values`.
std::optional<double> heard(double since, const std::string& member,
                            const std::vector<int>& values) {
    const auto lines = twl::test_support::lines(twl::test_support::readFile(monitorLog));
    for (std::size_t at = 0; at + 1 < lines.size(); ++at) {
        const std::string& header = lines[at];
        const auto time = header.find("signal time=");
        if (time == std::string::npos || header.find("member=" + member) == std::string::npos) {
            continue;
        }
        const double when = std::stod(header.substr(time + 12));
        const auto value = lines[at + 1].find("uint32 ");
        if (when >= since && value != std::string::npos &&
            std::count(values.begin(), values.end(), std::stoi(lines[at + 1].substr(value + 7)))) {
            return when;
        }
    }
    return std::nullopt;
}

// Presses Connect and notes, to the millisecond, when the status turns to `status`.
double shownAt(AttemptingClient& client, const std::string& status) {
    double seen = 0;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (seen == 0 && AttemptingClient::status() == status) {
            seen = nowSeconds();
        }
    });
    look.start(1);
    client.connectUntil(status);
    twl::test_support::spinUntil([] { return false; }, 200);  // dbus-monitor writes it down
    return seen;
}

struct Figures {
    std::vector<double> ms;
    void print(const char* what) const {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        if (sorted.empty()) {
            std::printf("%-44s no run came through\n", what);
            return;
        }
        std::printf("%-44s median %6.1f ms   worst %6.1f ms   (%zu runs)\n", what,
                    sorted[sorted.size() / 2], sorted.back(), sorted.size());
    }
};

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    twl::installInterfaceComponents(application);
    PrivateNetworkManager nm;
    if (auto why = nm.start({.config = "", .gateway = true, .standInPlugin = true}); !why.empty()) {
        std::fprintf(stderr, "twl_verdict_latency: %s\n", why.c_str());
        return 1;
    }
    QProcess monitor;
    monitor.setStandardOutputFile(QString::fromStdString(monitorLog));
    monitor.start(QStringLiteral("dbus-monitor"),
                  {QStringLiteral("--system"),
                   QStringLiteral("type='signal',sender='org.freedesktop.NetworkManager'")});
    monitor.waitForStarted();
    Figures up, failed;
    {
        AttemptingClient client;
        for (int run = 0; run < runs; ++run) {
            std::ofstream(control) << "activate\n";
            const double asked = nowSeconds();
            const double connected = shownAt(client, "Connected");
            if (const auto signal = heard(asked, "VpnStateChanged", {5}); signal && connected) {
                up.ms.push_back((connected - *signal) * 1000.0);
            }
            // Disconnect, and let NetworkManager take it down before the next.
            twl::test_support::click("btnConnect");
            twl::test_support::spinUntil([] { return false; }, 1500);
            std::ofstream(control) << "refuse-login\n";
            const double tried = nowSeconds();
            const double ended = shownAt(client, "Disconnected");
            const auto byState = heard(tried, "StateChanged", {4});
            const auto byVpn = heard(tried, "VpnStateChanged", {6, 7});
            if (byState && byVpn && ended) {
                failed.ms.push_back((ended - std::min(*byState, *byVpn)) * 1000.0);
            }
        }
    }
    monitor.kill();
    monitor.waitForFinished();
    up.print("VPN activated -> \"Connected\" shown");
    failed.print("attempt failed -> \"Disconnected\" and why shown");
    return up.ms.empty() || failed.ms.empty() ? 1 : 0;
}
