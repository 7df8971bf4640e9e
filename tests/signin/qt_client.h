#pragma once

#include <QApplication>
#include <memory>
#include <string>

#include "fakes/fake_services.h"
#include "platform/qt/qt_layouts.h"
#include "platform/qt/qt_run_loop.h"
#include "platform/qt/qt_window.h"
#include "platform/qt_test_support.h"
#include "platform/view_controller.h"

namespace twl::test_support {

// The client's real screens in a real main window (offscreen) on the real run
// loop, over the fake services and the given transport, showing the login
// screen.
template <typename Transport>
class QtClient {
  public:
    template <typename... TransportArguments>
    explicit QtClient(fakes::FakeServices::Options options, TransportArguments&&... arguments)
        : http(loop, std::forward<TransportArguments>(arguments)...),
          fake(loop, http, std::move(options)) {
        window->show();
        window->setContentViewController(
            fake.storyboard.instantiateControllerWithIdentifier("LoginController"));
    }
    ~QtClient() {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::string showing() const {
        auto shown = window->contentViewController();
        return shown ? shown->storyboardIdentifier() : "";
    }

    QtRunLoop loop;
    Transport http;
    fakes::FakeServices fake;
    AppContext& context = *fake.context;
    std::unique_ptr<QtLayouts> layouts = QtLayouts::withStoryboardLayouts();
    std::shared_ptr<QtWindow> window = QtWindow::createMain(*layouts, [] { return true; });
};

}  // namespace twl::test_support
