#pragma once

#include <string>

namespace twl {

// The certificates to trust when an extra CA file is configured: the system's
// bundle followed by the extra file, as one PEM text. Empty when there is no
// extra file (or it cannot be read): the system's defaults then apply alone.
std::string caBundleWithExtra(const std::string& extraCaFile);

}  // namespace twl
