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

// create --l2tp NAME --endpoint HOST [--force] [--username U]
//        [--password P | --password-file FILE]
//        [--shared-secret K | --shared-secret-file FILE]
struct CreateRequest {
    L2tpProfile profile;  // without a uuid or owner yet
    std::optional<std::string> passwordFile;
    std::optional<std::string> sharedSecretFile;
    bool force = false;
};

struct UsageError {
    std::string message;
};

// The arguments after the program name. The word after an option is always its
// value, even when it looks like an option, so that any password can be given.
std::variant<CreateRequest, UsageError> parseCreateArguments(const std::vector<std::string>& args);

// Fills in the secrets from their files and the profile's owner: the owner of
// those files (who must be the caller when sudo names one in SUDO_UID), or the
// user running the tool when none was given. Empty once done, else why it
// could not be.
std::string takeSecretsAndOwner(CreateRequest& request);

// Leaves this user's profile called the request's name, as the request
// describes it, loaded into NetworkManager: an existing one of this user's (or
// one of nobody's) is an error unless `force` is set, which replaces it once
// the new one is in place. Other users' profiles stay. Returns the exit status.
int createConnection(CreateRequest request, const KeyfileFolder& folder, std::ostream& out,
                     std::ostream& err);

}  // namespace twl::tools
