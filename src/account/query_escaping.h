#pragma once

#include <string>
#include <string_view>

namespace twl {

// Every byte but the unreserved ones (letters, digits, "-", ".", "_", "~") as
// %HH, so that any text survives a query string unchanged.
std::string percentEncodeAll(std::string_view text);

// As percentEncodeAll, except that a "%" opening a valid %HH escape is kept as
// it is: the login screen hands over user names with blanks already as "%20",
// and stored user names are in that form. Any other "%" goes as "%25".
std::string percentEncodeKeepingEscapes(std::string_view text);

}  // namespace twl
