// Writes "value-<n>" under "k" for n = 0, 1, 2, ... until killed; the crash test
// kills it at random moments and checks what it left.
#include <cstdio>
#include <string>

#include "platform/posix/settings_file_store.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: settings_writer FILE\n");
        return 2;
    }
    twl::SettingsFileStore store(argv[1]);
    for (long n = 0;; ++n) {
        store.setObject("value-" + std::to_string(n) + std::string(512, 'x'), "k");
        store.setBool(n % 2 == 0, "flag");
    }
}
