#include "app/app_context.h"

#include <gtest/gtest.h>

#include "app/settings_keys.h"
#include "fakes/memory_settings_store.h"
#include "fakes/virtual_run_loop.h"
#include "vpn/connection_session.h"

namespace twl {
namespace {

// A timer left running would call into a context that is gone.
TEST(AppContext, DestroyingTheContextStopsItsTimers) {
    fakes::VirtualRunLoop loop;
    auto context = std::make_unique<AppContext>(Services{.runLoop = &loop}, Endpoints{});
    context->connection().waitForAdministrator("");
    context->timerManager().startCountdown(5, [](auto&, bool) {});
    ASSERT_EQ(loop.scheduledTimerCount(), 2U);
    context.reset();
    EXPECT_EQ(loop.scheduledTimerCount(), 0U);
}

TEST(SettingsKeys, AnotherTypeReadsAsAbsent) {
    fakes::MemorySettingsStore store;
    store.setBool(true, keys::vpnUserName);
    store.setObject("true", keys::autoLogin);
    EXPECT_EQ(storedString(store, keys::vpnUserName), std::nullopt);
    EXPECT_FALSE(storedFlagIsSet(store, keys::autoLogin)) << "a string is not the flag";
}

}  // namespace
}  // namespace twl
