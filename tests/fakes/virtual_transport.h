#pragma once

#include "fakes/scripted_http_transport.h"
#include "fakes/virtual_run_loop.h"

namespace twl::fakes {

// The virtual clock and the scripted transport, made before the services
// that use them.
struct VirtualTransport {
    VirtualRunLoop loop;
    ScriptedHttpTransport http{loop};
};

}  // namespace twl::fakes
