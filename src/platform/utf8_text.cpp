#include "platform/utf8_text.h"

namespace twl {
namespace {

struct Lead {
    std::size_t length = 0;  // 0: not a lead byte
    unsigned minimum = 0;    // the smallest code point this length may carry
    unsigned bits = 0;
};

Lead leadOf(unsigned char byte) {
    if (byte < 0x80) {
        return {1, 0, byte};
    }
    if ((byte & 0xE0) == 0xC0) {
        return {2, 0x80, byte & 0x1Fu};
    }
    if ((byte & 0xF0) == 0xE0) {
        return {3, 0x800, byte & 0x0Fu};
    }
    if ((byte & 0xF8) == 0xF0) {
        return {4, 0x10000, byte & 0x07u};
    }
    return {};
}

}  // namespace

bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const Lead lead = leadOf(static_cast<unsigned char>(text[i]));
        if (lead.length == 0 || i + lead.length > text.size()) {
            return false;
        }
        unsigned codePoint = lead.bits;
        for (std::size_t k = 1; k < lead.length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            codePoint = (codePoint << 6) | (next & 0x3Fu);
        }
        if (codePoint < lead.minimum || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return false;
        }
        i += lead.length;
    }
    return true;
}

}  // namespace twl
