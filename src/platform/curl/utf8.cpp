#include "platform/curl/utf8.h"

#include <cstddef>

namespace twl {
namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0U) == 0x80U;
}

// The length of the sequence a lead byte opens, and the range its second byte
// must fall in to rule out overlong forms, surrogates and values past U+10FFFF.
struct Lead {
    std::size_t length = 0;  // 0: not a lead byte
    unsigned char secondMin = 0x80;
    unsigned char secondMax = 0xBF;
};

Lead leadOf(unsigned char byte) {
    if (byte >= 0xC2 && byte <= 0xDF) {
        return {2};
    }
    if (byte == 0xE0) {
        return {3, 0xA0, 0xBF};
    }
    if (byte == 0xED) {
        return {3, 0x80, 0x9F};
    }
    if (byte >= 0xE1 && byte <= 0xEF) {
        return {3};
    }
    if (byte == 0xF0) {
        return {4, 0x90, 0xBF};
    }
    if (byte >= 0xF1 && byte <= 0xF3) {
        return {4};
    }
    if (byte == 0xF4) {
        return {4, 0x80, 0x8F};
    }
    return {};
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            ++i;
            continue;
        }
        const Lead lead = leadOf(byte);
        if (lead.length == 0 || bytes.size() - i < lead.length) {
            return false;
        }
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        if (second < lead.secondMin || second > lead.secondMax) {
            return false;
        }
        for (std::size_t k = 2; k < lead.length; ++k) {
            if (!isContinuation(static_cast<unsigned char>(bytes[i + k]))) {
                return false;
            }
        }
        i += lead.length;
    }
    return true;
}

}  // namespace twl
