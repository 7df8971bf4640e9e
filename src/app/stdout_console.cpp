#include "app/stdout_console.h"

#include <iostream>

namespace twl {

void StdoutConsole::writeLine(std::string_view text) {
    std::cout << text << std::endl;
}

}  // namespace twl
