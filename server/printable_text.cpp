#include "printable_text.h"

#include <cstdio>

namespace nsserver {
namespace {

// Length of the well-formed UTF-8 sequence that begins at text[at], with
// its code point in `character`; 0 when none begins there (a stray
// continuation byte, an overlong form, a surrogate, a value above
// U+10FFFF or a sequence cut short).
size_t decode(const std::string &text, size_t at, char32_t *character) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        *character = lead;
        return 1;
    }
    size_t length;
    char32_t value;
    // Allowed range of the second byte; the others are always 80..BF.
    unsigned char low = 0x80, high = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
        value = lead & 0x1f;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        value = lead & 0x0f;
        if (lead == 0xe0) low = 0xa0;   // no overlong forms
        if (lead == 0xed) high = 0x9f;  // no surrogates
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        value = lead & 0x07;
        if (lead == 0xf0) low = 0x90;   // no overlong forms
        if (lead == 0xf4) high = 0x8f;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (text.size() - at < length) return 0;
    for (size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(at + i);
        if (next < low || next > high) return 0;
        low = 0x80;
        high = 0xbf;
        value = (value << 6) | (next & 0x3f);
    }
    *character = value;
    return length;
}

}  // namespace

bool isUnprintable(char32_t c) {
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == 0x2028 || c == 0x2029 || (c >= 0x202a && c <= 0x202e) ||
           (c >= 0x2066 && c <= 0x2069);
}

bool holdsUnprintable(const std::string &text) {
    for (size_t at = 0; at < text.size();) {
        char32_t character;
        size_t length = decode(text, at, &character);
        if (length == 0 || isUnprintable(character)) return true;
        at += length;
    }
    return false;
}

std::string quotedForLog(const std::string &text) {
    std::string quoted = "\"";
    for (size_t at = 0; at < text.size();) {
        char32_t character;
        size_t length = decode(text, at, &character);
        char escape[16];
        if (length == 0) {
            snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned char>(text[at]));
            quoted += escape;
            at += 1;
            continue;
        }
        if (character == '"' || character == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(character);
        } else if (character < 0x20 || character == 0x7f) {
            snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned>(character));
            quoted += escape;
        } else if (isUnprintable(character)) {
            snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(character));
            quoted += escape;
        } else {
            quoted.append(text, at, length);
        }
        at += length;
    }
    return quoted + "\"";
}

}  // namespace nsserver
