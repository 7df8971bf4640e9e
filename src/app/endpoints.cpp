#include "app/endpoints.h"

#include "app/build_config.h"

namespace twl {

Endpoints Endpoints::builtIn() {
    return Endpoints{build_config::accountApiUrl, build_config::publicIpUrl,
                     build_config::defaultServer, build_config::extraCaFile};
}

}  // namespace twl
