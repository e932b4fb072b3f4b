// What stored texts may hold and how values are written into an audit line,
// character class by character class, including byte sequences that are
// not UTF-8 (they can reach a line through a certificate's subject).
#include "printable_text.h"

#include <gtest/gtest.h>

namespace {

using nsserver::holdsUnprintable;
using nsserver::quotedForLog;

struct Case {
    const char *what;
    std::string text;
    bool unprintable;
    std::string quoted;  // without the surrounding quotes
};

const Case kCases[] = {
    // Kept as they are.
    {"plain ASCII", "/NS1/home/a b~", false, "/NS1/home/a b~"},
    {"empty", "", false, ""},
    {"quote and backslash", "a\"b\\c", false, "a\\\"b\\\\c"},
    {"Latin", "caf\xc3\xa9", false, "caf\xc3\xa9"},
    {"CJK", "\xe5\x90\x8d\xe5\x89\x8d", false, "\xe5\x90\x8d\xe5\x89\x8d"},
    {"emoji (4 bytes)", "\xf0\x9f\x93\x81", false, "\xf0\x9f\x93\x81"},
    {"U+00A0, just past C1", "\xc2\xa0", false, "\xc2\xa0"},
    {"U+2027, just before the separators", "\xe2\x80\xa7", false, "\xe2\x80\xa7"},
    {"U+202F, just past the embeddings", "\xe2\x80\xaf", false, "\xe2\x80\xaf"},
    {"U+2065, just before the isolates", "\xe2\x81\xa5", false, "\xe2\x81\xa5"},
    {"U+206A, just past the isolates", "\xe2\x81\xaa", false, "\xe2\x81\xaa"},
    {"U+10FFFF", "\xf4\x8f\xbf\xbf", false, "\xf4\x8f\xbf\xbf"},
    // C0 and DEL, written as before.
    {"NUL", std::string("a\0b", 3), true, "a\\x00b"},
    {"newline", "a\nb", true, "a\\x0ab"},
    {"escape", "a\033[31m", true, "a\\x1b[31m"},
    {"record separator", "a\x1e" "b", true, "a\\x1eb"},
    {"DEL", "a\x7f", true, "a\\x7f"},
    // C1.
    {"U+0080", "\xc2\x80", true, "\\u0080"},
    {"U+0085 next line", "a\xc2\x85" "b", true, "a\\u0085b"},
    {"U+009B CSI", "\xc2\x9b" "31m", true, "\\u009b31m"},
    {"U+009F", "\xc2\x9f", true, "\\u009f"},
    // Line and paragraph separators.
    {"U+2028", "a\xe2\x80\xa8" "b", true, "a\\u2028b"},
    {"U+2029", "\xe2\x80\xa9", true, "\\u2029"},
    // Bidirectional controls.
    {"U+202A", "\xe2\x80\xaa", true, "\\u202a"},
    {"U+202E override", "gpj.\xe2\x80\xae" "exe", true, "gpj.\\u202eexe"},
    {"U+2066", "\xe2\x81\xa6", true, "\\u2066"},
    {"U+2069", "\xe2\x81\xa9", true, "\\u2069"},
    // Not UTF-8: each stray byte on its own.
    {"lone continuation byte", "a\x85" "b", true, "a\\x85b"},
    {"lone lead byte", "a\xc3", true, "a\\xc3"},
    {"cut short", "\xe2\x80", true, "\\xe2\\x80"},
    {"overlong NUL", "\xc0\x80", true, "\\xc0\\x80"},
    {"overlong newline", "\xe0\x80\x8a", true, "\\xe0\\x80\\x8a"},
    {"overlong U+2028", "\xf0\x82\x80\xa8", true, "\\xf0\\x82\\x80\\xa8"},
    {"surrogate", "\xed\xa0\x80", true, "\\xed\\xa0\\x80"},
    {"above U+10FFFF", "\xf4\x90\x80\x80", true, "\\xf4\\x90\\x80\\x80"},
    {"FF byte", "\xff", true, "\\xff"},
    {"bad byte before a good character", "\xe2\xc3\xa9", true, "\\xe2\xc3\xa9"},
};

TEST(PrintableText, EachCharacterClassIsRefusedOrKeptAndQuotedSafely) {
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.unprintable, holdsUnprintable(c.text));
        EXPECT_EQ("\"" + c.quoted + "\"", quotedForLog(c.text));
        // What was refused comes out of the quoting with nothing left to refuse.
        EXPECT_FALSE(holdsUnprintable(quotedForLog(c.text)));
    }
}

}  // namespace
