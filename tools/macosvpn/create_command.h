#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "keyfile_folder.h"
#include "l2tp_profile.h"

namespace twl::tools {

inline constexpr int exitFailure = 1;
inline constexpr int exitUsage = 2;

// create --l2tp NAME --endpoint HOST [--force] [--username U] [--password P]
//        [--shared-secret K]
struct CreateRequest {
    L2tpProfile profile;  // without a uuid yet
    bool force = false;
};

struct UsageError {
    std::string message;
};

// The arguments after the program name. The word after an option is always its
// value, even when it looks like an option, so that any password can be given.
std::variant<CreateRequest, UsageError> parseCreateArguments(const std::vector<std::string>& args);

// The uuids of the profiles called `name` in the answer of
// `nmcli -t -f UUID,NAME connection show`.
std::vector<std::string> connectionsNamed(const std::string& terseListing, const std::string& name);

// Leaves exactly one NetworkManager profile called the request's name, as the
// request describes it: an existing one is an error unless `force` is set,
// which replaces every profile of that name. Returns the exit status.
int createConnection(CreateRequest request, const KeyfileFolder& folder, std::ostream& out,
                     std::ostream& err);

}  // namespace twl::tools
