#pragma once

#include "platform/busy_indicator.h"
#include "platform/qt/busy_spinner.h"
#include "platform/qt/qt_view_base.h"

namespace twl {

// A busy indicator over a BusySpinner.
class QtBusyIndicator final : public QtViewBase<BusyIndicator> {
  public:
    explicit QtBusyIndicator(BusySpinner* spinner) : QtViewBase(spinner) {}

    void setAnimate(bool animate) override {
        if (auto* spinner = qobject_cast<BusySpinner*>(widget_.data())) {
            spinner->setAnimating(animate);
        }
    }
    bool isAnimating() const override {
        auto* spinner = qobject_cast<BusySpinner*>(widget_.data());
        return spinner != nullptr && spinner->isAnimating();
    }
};

}  // namespace twl
