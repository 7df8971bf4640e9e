#include "app/app_context.h"

#include <gtest/gtest.h>

#include "app/settings_keys.h"
#include "fakes/fake_environment.h"
#include "fakes/memory_settings_store.h"
#include "vpn/connection_session.h"

namespace twl {
namespace {

// A timer left running would call into a context that is gone.
TEST(AppContext, DestroyingTheContextStopsItsTimers) {
    fakes::FakeEnvironment env;
    env.context->connection().beginConnecting("");
    env.context->timerManager().startCountdown(5, [](auto&, bool) {});
    env.context.reset();
    EXPECT_EQ(env.loop.scheduledTimerCount(), 0U);
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
