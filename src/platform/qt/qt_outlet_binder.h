#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/outlet_binder.h"

namespace twl {

// Binds a screen's outlets and actions to the widgets of its layout by object
// name. Problems are collected while the screen declares its names, then
// reported all at once by finish().
class QtOutletBinder final : public OutletBinder {
  public:
    QtOutletBinder(QWidget& root, std::string layoutName);

    void outlet(std::string_view name, std::weak_ptr<View>& slot) override;
    void outlet(std::string_view name, std::weak_ptr<TextField>& slot) override;
    void outlet(std::string_view name, std::weak_ptr<Button>& slot) override;
    void outlet(std::string_view name, std::weak_ptr<ImageView>& slot) override;
    void outlet(std::string_view name, std::weak_ptr<Box>& slot) override;
    void outlet(std::string_view name, std::weak_ptr<BusyIndicator>& slot) override;
    void action(std::string_view controlName, Action action) override;

    // The facades made for the outlets, for the root view to keep. Throws
    // std::logic_error naming every outlet or action the layout cannot serve.
    std::vector<std::shared_ptr<View>> finish();

  private:
    QWidget* find(std::string_view name);
    void problem(std::string_view name, const std::string& what);
    template <typename Facade>
    void keep(std::weak_ptr<Facade>& slot, std::shared_ptr<Facade> made);

    QWidget& root_;
    std::string layoutName_;
    std::vector<std::string> problems_;
    std::vector<std::shared_ptr<View>> made_;
};

}  // namespace twl
