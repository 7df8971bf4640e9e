#include "vpn/public_ip.h"

#include "app/app_context.h"
#include "platform/console.h"
#include "platform/http_transport.h"

namespace twl {
namespace {

// Blanks and tabs only: a trailing line break is part of what the user sees.
std::string trimBlanksAndTabs(const std::string& text) {
    constexpr const char* blanks = " \t";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return "";
    }
    const auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no
// surrogates, nothing above U+10FFFF.
bool isValidUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        unsigned min = 0;
        unsigned codePoint = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, min = 0x80, codePoint = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, min = 0x800, codePoint = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, min = 0x10000, codePoint = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        if (codePoint < min || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace

std::string publicIpAddress(AppContext& ctx) {
    const std::string url = ctx.endpoints().publicIpBaseUrl + std::string(publicIpPath);
    const TextReply reply = ctx.http().getText(url, publicIpBound);

    if (!reply.text) {
        ctx.console().writeLine("Error: " + reply.error.value_or("no reply"));
        return "";
    }
    if (!isValidUtf8(*reply.text)) {
        ctx.console().writeLine("Error: the reply is not UTF-8 text");
        return "";
    }
    return trimBlanksAndTabs(*reply.text);
}

}  // namespace twl
