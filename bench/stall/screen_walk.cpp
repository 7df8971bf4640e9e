#include "screen_walk.h"

#include <net/if.h>

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <stdexcept>

#include "privileged/commands.h"
#include "screens/desktop_client.h"

namespace twl::bench {
namespace {

// Sudo, the tools and the connect delay take seconds; nothing takes this long.
constexpr std::chrono::milliseconds waitLimit{30'000};
constexpr std::chrono::milliseconds checkEvery{10};

template <typename Widget>
Widget* visible(const char* name) {
    for (QWidget* widget : QApplication::allWidgets()) {
        auto* typed = qobject_cast<Widget*>(widget);
        if (typed && widget->objectName() == QLatin1String(name) && widget->isVisible()) {
            return typed;
        }
    }
    return nullptr;
}

template <typename Widget>
Widget& shown(const char* name) {
    auto* widget = visible<Widget>(name);
    if (widget == nullptr) {
        throw std::runtime_error(std::string("no ") + name + " on screen");
    }
    return *widget;
}

std::string labelText(const char* name) {
    auto* label = visible<QLabel>(name);
    return label ? label->text().toStdString() : std::string();
}

void click(const char* name) {
    QTest::mouseClick(&shown<QAbstractButton>(name), Qt::LeftButton);
}

void type(const char* field, const std::string& text) {
    auto& edit = shown<QLineEdit>(field);
    edit.clear();
    QTest::keyClicks(&edit, QString::fromStdString(text));
}

bool tunnelUp() {
    return ::if_nametoindex("ppp0") != 0;
}

// The application's own kind of waiting: the thread sleeps in the event loop
// between checks, rather than spinning beside the client's threads.
bool turnLoopUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    if (done()) {
        return true;
    }
    QEventLoop loop;
    QTimer check;
    check.setInterval(checkEvery);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    QTimer::singleShot(limit, &loop, &QEventLoop::quit);
    check.start();
    loop.exec();
    return done();
}

}  // namespace

ScreenWalk::ScreenWalk(DesktopClient& client, Heartbeat& heartbeat, WalkSetup setup)
    : client_(client), heartbeat_(heartbeat), setup_(std::move(setup)) {}

void ScreenWalk::run() {
    waitFor("the login screen", [] { return visible<QLineEdit>("edtUserName") != nullptr; });
    signIn();
    waitForAddress();
    openAdministratorDialog();
    giveWrongPassword();
    giveRightPassword();
    waitUntilConnected();
    disconnect();
    signOut();
    heartbeat_.stop();
}

void ScreenWalk::signIn() {
    heartbeat_.enter("sign-in");
    type("edtUserName", setup_.accountName);
    type("edtUserPassword", setup_.accountPassword);
    click("btnLogin");
    waitFor("the main screen", [this] { return client_.showing() == "MainController"; });
}

void ScreenWalk::waitForAddress() {
    heartbeat_.enter("main screen");
    waitFor("the public address", [this] { return labelText("lblIPAddress") == setup_.publicIp; });
}

void ScreenWalk::openAdministratorDialog() {
    heartbeat_.enter("connect");
    click("btnConnect");
    waitFor("the administrator dialog",
            [] { return visible<QLineEdit>("edtUserPassword") != nullptr; });
}

void ScreenWalk::giveWrongPassword() {
    heartbeat_.enter("wrong password");
    type("edtUserName", setup_.adminName);
    type("edtUserPassword", setup_.adminPassword + "x");
    click("btnOK");
    waitFor("the wrong-password notice",
            [] { return visible<QLabel>("txtIncorrectPassword") != nullptr; });
}

void ScreenWalk::giveRightPassword() {
    heartbeat_.enter("right password");
    type("edtUserPassword", setup_.adminPassword);
    click("btnOK");
    waitFor("the dialog to close", [] { return visible<QLineEdit>("edtUserPassword") == nullptr; });
}

// The tunnel's coming up starts a look-up of the new address.
void ScreenWalk::waitUntilConnected() {
    heartbeat_.enter("connected");
    waitFor("\"Connected\"", [] { return labelText("lblConnectStatus") == "Connected"; });
    settle();
}

// So does its going down.
void ScreenWalk::disconnect() {
    heartbeat_.enter("disconnect");
    click("btnConnect");
    waitFor("\"Disconnected\"", [] { return labelText("lblConnectStatus") == "Disconnected"; });
    waitFor("the tunnel to go", [] { return !tunnelUp(); });
    settle();
}

void ScreenWalk::signOut() {
    heartbeat_.enter("sign-out");
    click("btnSignOut");
    waitFor("the login screen", [this] { return client_.showing() == "LoginController"; });
    waitFor("the tool step to remove the marker",
            [] { return !std::filesystem::exists(std::string(commands::markerFile)); });
}

void ScreenWalk::waitFor(const std::string& what, const std::function<bool()>& done) {
    if (!turnLoopUntil(done, waitLimit)) {
        const std::string step =
            heartbeat_.steps().empty() ? "start" : heartbeat_.steps().back().name;
        throw std::runtime_error(step + ": " + what + " did not come within " +
                                 std::to_string(waitLimit.count() / 1000) + " s");
    }
}

void ScreenWalk::settle() {
    turnLoopUntil([] { return false; }, setup_.settle);
}

}  // namespace twl::bench
