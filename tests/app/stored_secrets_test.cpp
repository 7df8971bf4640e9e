#include "app/stored_secrets.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>

#include "app/settings_keys.h"
#include "fakes/fake_services.h"
#include "fakes/virtual_transport.h"
#include "vpn/vpn_service.h"

namespace twl {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct Client : fakes::VirtualTransport, fakes::FakeServices {
    Client() : FakeServices(loop, http, {}) {}
    StoredSecrets& secrets = context->secrets();
};

TEST(StoredSecrets, APasswordLeftInTheFileWinsMovesInAndLeavesTheFileOnlyOnceStored) {
    const std::tuple<const char*, bool, bool, bool> rows[] = {
        // keyring there, its write fails, the password left in the file
        {"moved in", true, false, false},
        {"the keyring refuses it", true, true, true},
        {"no keyring: the file as before", false, false, true}};
    for (const auto& [name, there, writeFails, leftInFile] : rows) {
        SCOPED_TRACE(name);
        Client client;
        client.settings.setObject("admin", keys::username);
        client.settings.setObject("from-file", keys::userpassword);
        client.keyring.there = there;
        client.keyring.failWrites = writeFails;
        client.keyring.items[keys::userpassword] = "in-keyring";
        EXPECT_EQ(client.secrets.known(keys::userpassword), "from-file") << "without waiting";
        client.loop.runPending();
        EXPECT_EQ(storedString(client.settings, keys::userpassword).has_value(), leftInFile);
        EXPECT_EQ(client.keyring.items[keys::userpassword],
                  leftInFile ? "in-keyring" : "from-file");
    }
}

// The administrator dialog stores a pair while the keyring is still asked for
// the old one: provisioning and a late answer both go by the new one.
TEST(StoredSecrets, ANewPasswordIsReadFromMemoryAtOnceAndALateKeyringAnswerTakesNothing) {
    Client client;
    client.settings.setObject("admin", keys::username);
    client.keyring.there = true;
    client.keyring.holdReads = true;
    client.keyring.items[keys::userpassword] = "old";
    std::optional<std::string> waited;
    client.secrets.whenRead(keys::userpassword, [&](const auto& secret) { waited = secret; });
    client.loop.runPending();
    client.secrets.set(keys::userpassword, "new");
    EXPECT_EQ(waited, "new");
    createVpnService(*client.context, "/tool", [] {});
    EXPECT_THAT(client.system.sources, ElementsAre(HasSubstr(R"(password "new")")));
    client.keyring.heldReads.at(0)();
    client.loop.runPending();
    EXPECT_EQ(client.secrets.known(keys::userpassword), "new");
    EXPECT_EQ(client.keyring.items[keys::userpassword], "new");
}

}  // namespace
}  // namespace twl
