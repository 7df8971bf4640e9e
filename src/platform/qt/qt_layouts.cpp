#include "platform/qt/qt_layouts.h"

#include <stdexcept>

#include "platform/qt/hover_tracker.h"
#include "platform/qt/qt_outlet_binder.h"
#include "platform/qt/qt_root_view.h"
#include "platform/qt/view_properties.h"
#include "platform/view_controller.h"
#include "ui_dialog_controller.h"
#include "ui_login_controller.h"
#include "ui_main_controller.h"
#include "ui_setting_controller.h"

namespace twl {
namespace {

template <typename Form>
QtLayouts::Builder fromForm() {
    return [] {
        auto root = std::make_unique<QWidget>();
        Form form;
        form.setupUi(root.get());
        return root;
    };
}

}  // namespace

std::unique_ptr<QtLayouts> QtLayouts::withStoryboardLayouts() {
    auto layouts = std::make_unique<QtLayouts>();
    layouts->registerLayout("LoginController", fromForm<Ui::LoginControllerLayout>());
    layouts->registerLayout("MainController", fromForm<Ui::MainControllerLayout>());
    layouts->registerLayout("SettingController", fromForm<Ui::SettingControllerLayout>());
    layouts->registerLayout("DialogController", fromForm<Ui::DialogControllerLayout>());
    return layouts;
}

void QtLayouts::registerLayout(const std::string& identifier, Builder builder) {
    builders_[identifier] = std::move(builder);
}

bool QtLayouts::hasLayout(const std::string& identifier) const {
    return builders_.contains(identifier);
}

std::shared_ptr<View> QtLayouts::loadView(ViewController& controller) {
    const std::string& identifier = controller.storyboardIdentifier();
    const auto found = builders_.find(identifier);
    if (found == builders_.end()) {
        throw std::logic_error("no layout for the screen '" + identifier + "'");
    }
    std::unique_ptr<QWidget> root = found->second();
    root->setProperty(view_property::designSize, root->size());
    HoverTracker::installAll(*root, controller.weak_from_this());

    QtOutletBinder binder(*root, identifier);
    controller.bindOutlets(binder);
    auto outlets = binder.finish();
    return std::make_shared<QtRootView>(std::move(root), std::move(outlets));
}

}  // namespace twl
