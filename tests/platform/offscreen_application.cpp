#include "offscreen_application.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace twl::testing {
namespace {

class OffscreenEnvironment final : public ::testing::Environment {
  public:
    void SetUp() override {
        if (!app_) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            app_ = std::make_unique<QApplication>(argc_, argv_);
        }
    }
    void TearDown() override { app_.reset(); }

    QApplication& app() {
        if (!app_) {
            SetUp();  // reached from a test's own SetUpTestSuite before ours ran
        }
        return *app_;
    }

  private:
    int argc_ = 1;
    char name_[20] = "tidewaterlink-test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

// GoogleTest owns registered environments.
OffscreenEnvironment* const environment = static_cast<OffscreenEnvironment*>(
    ::testing::AddGlobalTestEnvironment(new OffscreenEnvironment));

}  // namespace

QApplication& offscreenApplication() {
    return environment->app();
}

}  // namespace twl::testing
