#pragma once

#include "platform/button.h"
#include "platform/qt/qt_view_base.h"

class QAbstractButton;

namespace twl {

// A button over any QAbstractButton.
class QtButton final : public QtViewBase<Button> {
  public:
    explicit QtButton(QAbstractButton* button);

    std::string title() const override;
    void setTitle(const std::string& title) override;
    void setEnabled(bool enabled) override;
    bool isEnabled() const override;

  private:
    QAbstractButton* button() const;
};

}  // namespace twl
