#include "account/query_escaping.h"

namespace twl {
namespace {

// ASCII only, whatever the process's locale says about other bytes.
bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

bool isLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isUnreserved(unsigned char c) {
    return isLetter(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

bool isHexDigit(unsigned char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool opensEscape(std::string_view text, std::size_t at) {
    return text[at] == '%' && at + 2 < text.size() &&
           isHexDigit(static_cast<unsigned char>(text[at + 1])) &&
           isHexDigit(static_cast<unsigned char>(text[at + 2]));
}

void appendEncoded(std::string& out, unsigned char byte) {
    static constexpr char hex[] = "0123456789ABCDEF";
    out += '%';
    out += hex[byte >> 4];
    out += hex[byte & 0x0F];
}

std::string encode(std::string_view text, bool keepEscapes) {
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (isUnreserved(byte) || (keepEscapes && opensEscape(text, i))) {
            out += text[i];
        } else {
            appendEncoded(out, byte);
        }
    }
    return out;
}

}  // namespace

std::string percentEncodeAll(std::string_view text) {
    return encode(text, false);
}

std::string percentEncodeKeepingEscapes(std::string_view text) {
    return encode(text, true);
}

}  // namespace twl
