#pragma once

#include <functional>

namespace twl {

class AppContext;

// Tries out the administrator credentials stored by the administrator dialog
// ("username" and "userpassword") each time the login screen loads: removes
// the marker file from /usr/local when it is there, copies the tool resource
// (toolResourcePath) there when it is not, both with administrator rights.
// When the marker's presence shows the command took effect, the credentials
// are good: isAdminConfirmed becomes true and "-- is correct -- " is printed.
// Wrong credentials leave the file, the flag and stdout as they were.
//
// Skipped unless "username" holds a string and its password can be had: a
// user name without its password cannot be proved, and asking sudo with an
// empty one would only fail. The password may come from the keyring, which
// the step waits for (boundedly). With no tool resource to copy
// (toolResourcePath empty) only the removal is tried. Returns at once; `done`
// runs when the step is over: on the run loop after the read or the command,
// or before returning when there is nothing to prove.
void runToolStep(AppContext& context, std::function<void()> done);

}  // namespace twl
