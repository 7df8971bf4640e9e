// libFuzzer target: any input either parses or is rejected with a reason,
// never crashes; and whatever three strings the input is split into, parsing
// the statements built from them gives back exactly those strings.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>

#include "fuzz_check.h"
#include "privileged/script_runner.h"
#include "privileged/statement_parser.h"

using twl::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parsed =
        twl::parseStatement(std::string_view(reinterpret_cast<const char*>(data), size));
    check(parsed.statement.has_value() != !parsed.error.empty());

    FuzzedDataProvider provider(data, size);
    const std::string command = provider.ConsumeRandomLengthString();
    const std::string user = provider.ConsumeRandomLengthString();
    const std::string password = provider.ConsumeRemainingBytesAsString();

    const auto plain = twl::parseStatement(twl::plainScript(command));
    check(plain.statement == twl::ShellStatement{command, std::nullopt});
    const auto privileged = twl::parseStatement(twl::privilegedScript(command, user, password));
    check(privileged.statement ==
          twl::ShellStatement{command, twl::AdministratorCredentials{user, password}});
    return 0;
}
