// The server's check of stored texts and the quoting of audit values.
// Input: the text.
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "printable_text.h"

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads `digits` lowercase hex digits at quoted[at].
uint32_t hexAt(const std::string &quoted, size_t at, size_t digits) {
    FUZZ_CHECK(at + digits <= quoted.size());
    uint32_t value = 0;
    for (size_t i = 0; i < digits; ++i) {
        int digit = hexValue(quoted[at + i]);
        FUZZ_CHECK(digit >= 0);
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    return value;
}

void appendUtf8(std::string &text, uint32_t c) {
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xc0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3f));
    } else {
        text += static_cast<char>(0xe0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        text += static_cast<char>(0x80 | (c & 0x3f));
    }
}

// The text a quoted value stands for; every escape must be one that
// quotedForLog writes.
std::string unquote(const std::string &quoted, bool *escapedAny) {
    FUZZ_CHECK(quoted.size() >= 2 && quoted.front() == '"' && quoted.back() == '"');
    std::string text;
    for (size_t at = 1; at + 1 < quoted.size();) {
        char c = quoted[at];
        FUZZ_CHECK(c != '"');  // a bare quote would end the value early
        if (c != '\\') {
            text += c;
            ++at;
            continue;
        }
        FUZZ_CHECK(at + 2 < quoted.size());
        char kind = quoted[at + 1];
        if (kind == '"' || kind == '\\') {
            text += kind;
            at += 2;
        } else if (kind == 'x') {
            text += static_cast<char>(hexAt(quoted, at + 2, 2));
            *escapedAny = true;
            at += 4;
        } else {
            FUZZ_CHECK(kind == 'u');
            uint32_t c32 = hexAt(quoted, at + 2, 4);
            FUZZ_CHECK(c32 >= 0x80 && nsserver::isUnprintable(c32));  // C0 and DEL are written \xHH
            appendUtf8(text, c32);
            *escapedAny = true;
            at += 6;
        }
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    const std::string quoted = nsserver::quotedForLog(text);
    // Nothing in the quoted value can end a line, move the cursor or
    // reorder what is shown, and it is well-formed UTF-8.
    FUZZ_CHECK(!nsserver::holdsUnprintable(quoted));
    // It stands for exactly the text, and escapes something exactly when
    // the text would be refused as a stored text.
    bool escapedAny = false;
    FUZZ_CHECK(unquote(quoted, &escapedAny) == text);
    FUZZ_CHECK(escapedAny == nsserver::holdsUnprintable(text));
    return 0;
}
