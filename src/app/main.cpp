// The entry: makes sure this is the session's only client, makes the client
// with its real adapters, and hands control to the desktop's event loop.

#include <signal.h>
#include <sys/prctl.h>

#include <QApplication>
#include <QIcon>
#include <QSystemTrayIcon>
#include <iostream>
#include <memory>

#include "app/endpoints.h"
#include "platform/posix/executable_bundle.h"
#include "platform/posix/runtime_folder.h"
#include "platform/qt/interface_components.h"
#include "platform/qt/quit_signals.h"
#include "platform/qt/single_instance.h"
#include "screens/desktop_client.h"

int main(int argc, char* argv[]) {
#ifndef TIDEWATERLINK_SANITIZED
    // The process holds the account and administrator passwords: no core
    // dump, and no other process of the user may read its memory. The leak
    // checker of a sanitizer build needs it dumpable.
    ::prctl(PR_SET_DUMPABLE, 0);
#endif
    // A diagnostic line whose reader has gone (a log pipe) must not end the
    // client with the tunnel up: the write just fails. Children start with
    // every signal at its default.
    ::signal(SIGPIPE, SIG_IGN);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tidewaterlink"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tidewaterlink"));
    QApplication::setDesktopFileName(QStringLiteral("tidewaterlink"));
    twl::installInterfaceComponents(application);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/tidewaterlink.png")));

    // Ready before the socket exists: whoever sees the socket may signal us.
    twl::QuitSignals quitSignals;
    const auto runtime = twl::RuntimeFolder::find(twl::RuntimeFolder::candidates(),
                                                  twl::RuntimeFolder::Backing::any);
    if (!runtime) {
        std::cerr << "tidewaterlink: neither $XDG_RUNTIME_DIR nor /run/user/UID is a folder of "
                     "this user's with mode 0700; running without looking for another client\n";
    }
    twl::SingleInstance instance(runtime ? twl::SingleInstance::socketPathIn(*runtime) : QString());
    if (instance.claim() == twl::SingleInstance::Claim::reachedRunning) {
        return 0;  // the running client brings its window back
    }

    twl::DesktopClient client(twl::ExecutableBundle(), twl::Endpoints::builtIn(),
                              [] { return QSystemTrayIcon::isSystemTrayAvailable(); });
    QObject::connect(&quitSignals, &twl::QuitSignals::quitRequested, &client.shell(),
                     &twl::DesktopShell::terminate);
    QObject::connect(&instance, &twl::SingleInstance::reopenRequested, &client.shell(),
                     &twl::DesktopShell::reopen);
    return QApplication::exec();
}
