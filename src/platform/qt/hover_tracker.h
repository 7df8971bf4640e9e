#pragma once

#include <QObject>
#include <memory>
#include <nlohmann/json.hpp>

namespace twl {

class ViewController;

// The tracking area of one widget: pointer enter and exit over the widget reach
// the screen's mouseEntered/mouseExited with the area's user info. Owned by the
// widget it watches.
class HoverTracker final : public QObject {
    Q_OBJECT

  public:
    HoverTracker(QWidget& watched, std::weak_ptr<ViewController> controller,
                 nlohmann::json userInfo);

    // Gives every widget of the layout that carries a "trackingUserInfo"
    // property its tracking area. Throws std::logic_error for user info that
    // is not a JSON object.
    static void installAll(QWidget& root, const std::weak_ptr<ViewController>& controller);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::weak_ptr<ViewController> controller_;
    nlohmann::json userInfo_;
};

}  // namespace twl
