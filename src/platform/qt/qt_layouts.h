#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/view_loader.h"

namespace twl {

// The layouts of the storyboard "Main", one per screen identifier, and the
// loader that turns one into a screen's bound views.
class QtLayouts final : public ViewLoader {
  public:
    using Builder = std::function<std::unique_ptr<QWidget>()>;

    // Empty; see withStoryboardLayouts() for the client's own.
    QtLayouts() = default;
    // "LoginController", "MainController", "SettingController" and
    // "DialogController", from the .ui files under resources/layouts.
    static std::unique_ptr<QtLayouts> withStoryboardLayouts();

    void registerLayout(const std::string& identifier, Builder builder);
    bool hasLayout(const std::string& identifier) const;

    // Builds the layout of the screen's identifier, installs its tracking
    // areas, and binds the screen's outlets and actions.
    std::shared_ptr<View> loadView(ViewController& controller) override;

  private:
    std::map<std::string, Builder, std::less<>> builders_;
};

}  // namespace twl
