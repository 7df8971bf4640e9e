#pragma once

#include <set>
#include <string>

#include "platform/network_manager_watch.h"

namespace twl {

// Which of NetworkManager's active connections is this attempt's. The tool
// makes a new profile at every provisioning, and other users' connections are
// on the bus too: ours is the first active connection of our profile that
// appears after the connect command. Everything said of older ones (our own
// earlier attempts, the profile that provisioning replaced) is not ours.
class OurActiveConnection {
  public:
    // The profile provisioning made ("" when it could not be found).
    void setProfile(std::string profile);
    bool knowsProfile() const { return !profile_.empty(); }
    // The next active connection of the profile that appears is ours.
    void connectCommandSent();
    // The attempt or connection is over: nothing said from now on is ours.
    void forget();

    // Whether the report is of ours; the first report of a new active
    // connection after the connect command makes it ours.
    bool isOurs(const ActiveConnectionReport& report);

  private:
    std::string profile_;
    std::string current_;
    bool awaiting_ = false;
    std::set<std::string> seen_;  // the profile's active connections so far
};

}  // namespace twl
