#include "app/app_context.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "app/settings_keys.h"
#include "fakes/fake_services.h"
#include "fakes/memory_settings_store.h"
#include "fakes/virtual_transport.h"
#include "vpn/connection_session.h"

namespace twl {
namespace {

// A timer left running would call into a context that is gone; a service
// left out is found when the context is made, not when a screen first uses it.
TEST(AppContext, DestroyingTheContextStopsItsTimersAndEveryServiceIsNeeded) {
    fakes::VirtualTransport io;
    fakes::FakeServices fake(io.loop, io.http, {});
    fake.context->connection().waitForAdministrator("");
    fake.context->timerManager().startCountdown(5, [](auto&, bool) {});
    ASSERT_EQ(io.loop.scheduledTimerCount(), 2U);
    fake.context.reset();
    EXPECT_EQ(io.loop.scheduledTimerCount(), 0U);
    EXPECT_THROW(AppContext(Services{.runLoop = &io.loop}, Endpoints{}), std::invalid_argument);
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
