// libFuzzer target: any bytes as the account check's reply body give exactly
// one of a value and an error, never crash, and sort into an outcome whose
// message fits it; a value that was read back is read the same again once
// written out.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "account/account_reply.h"
#include "fuzz_check.h"
#include "platform/json_reading.h"

using twl::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const twl::JsonReply reply =
        twl::jsonReplyOf(std::string_view(reinterpret_cast<const char*>(data), size));
    check(reply.value.has_value() != reply.error.has_value());

    const twl::SortedAccountReply sorted = twl::sortAccountReply(reply.value, reply.error);
    switch (sorted.outcome) {
        case twl::AccountOutcome::accepted:
            check(sorted.message.empty());
            break;
        case twl::AccountOutcome::refused:
            check(sorted.message == twl::accountMessages::refused);
            break;
        case twl::AccountOutcome::networkError:
            check(sorted.message == twl::accountMessages::networkError);
            break;
        case twl::AccountOutcome::notPaid:
            check(reply.value.has_value());
            break;
    }
    check(!reply.error || sorted.outcome == twl::AccountOutcome::networkError);

    if (reply.value) {
        std::string error;
        check(twl::readOutsideJson(reply.value->dump(), error) == reply.value);
    }
    return 0;
}
