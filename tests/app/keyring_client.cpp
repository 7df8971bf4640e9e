// One run of the client's own wiring against a local provider, for the
// keyring tests:  twl_keyring_client PROVIDER-URL CA-FILE [USER PASSWORD]
// With an account it signs in with remember-me on. It says "main screen" on
// standard output once the main screen shows, and runs until it is ended.
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <iostream>

#include "platform/posix/executable_bundle.h"
#include "platform/qt_test_support.h"
#include "screens/desktop_client.h"

int main(int argc, char* argv[]) {
    if (argc != 3 && argc != 5) {
        return 2;
    }
    using twl::test_support::visible;
    QApplication application(argc, argv);
    twl::DesktopClient client(twl::ExecutableBundle(),
                              twl::Endpoints{argv[1], argv[1], "vpn.test", argv[2]},
                              [] { return false; });
    if (argc == 5 &&
        twl::test_support::spinUntil([] { return visible<QLineEdit>("edtUserName"); })) {
        visible<QLineEdit>("edtUserName")->setText(argv[3]);
        visible<QLineEdit>("edtUserPassword")->setText(argv[4]);
        visible<QAbstractButton>("chkRemember")->click();
        visible<QAbstractButton>("btnLogin")->click();
    }
    if (twl::test_support::spinUntil([&] { return client.showing() == "MainController"; }, 20000)) {
        std::cout << "main screen" << std::endl;
    }
    return QApplication::exec();
}
