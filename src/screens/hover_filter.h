#pragma once

#include <QObject>
#include <functional>

namespace twl {

// Tells when the pointer enters or leaves one widget, for as long as its
// owner (a screen's actions()) lives.
class HoverFilter final : public QObject {
    Q_OBJECT

  public:
    using Changed = std::function<void(bool inside)>;
    HoverFilter(QWidget& watched, QObject& owner, Changed changed);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Changed changed_;
};

}  // namespace twl
