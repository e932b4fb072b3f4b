// The batch word splitter and the quoting export writes with it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch_words.h"

namespace cli {
namespace {

using Words = std::vector<std::string>;

TEST(BatchWords, SplitsAsAShellDoes) {
    struct Case {
        std::string text;
        Words words;
    } cases[] = {
        {"create -d /TRVNS/NS1/home\n", {"create", "-d", "/TRVNS/NS1/home"}},
        {"  \t lj   -n NS1  ", {"lj", "-n", "NS1"}},
        {"", {}},
        {"# a comment\n", {}},
        {"list -n # the rest is a comment", {"list", "-n"}},
        {"a#b '#c' \\#d", {"a#b", "#c", "#d"}},
        {"'a b' \"c d\" e\\ f", {"a b", "c d", "e f"}},
        {"'it'\\''s' \"say \\\"hi\\\"\"", {"it's", "say \"hi\""}},
        {"\"back\\\\slash \\n kept\"", {"back\\slash \\n kept"}},
        {"'' \"\" x''y", {"", "", "xy"}},
        {"'multi\nline' next\\\nword", {"multi\nline", "nextword"}},
        {"* ? [a] ~ literal", {"*", "?", "[a]", "~", "literal"}},
        {"'$HOME' '`x`' '|;&<>(){}'", {"$HOME", "`x`", "|;&<>(){}"}},
    };
    for (const Case &c : cases) {
        SplitWords split = splitWords(c.text);
        EXPECT_EQ(SplitWords::kComplete, split.result) << c.text;
        EXPECT_EQ(c.words, split.words) << c.text;
    }
}

TEST(BatchWords, RefusesWhatItCannotSplitAlone) {
    struct Case {
        std::string text;
        SplitWords::Result result;
    } cases[] = {
        {"create -d 'open", SplitWords::kIncomplete},
        {"create -d \"open", SplitWords::kIncomplete},
        {"create -d end\\", SplitWords::kIncomplete},
        {"create -d end\\\n", SplitWords::kIncomplete},
        {"list -n; rm x", SplitWords::kBadCharacter},
        {"list -n | cat", SplitWords::kBadCharacter},
        {"create -d a>b", SplitWords::kBadCharacter},
        {"create -d $HOME", SplitWords::kExpansion},
        {"create -d \"$HOME\"", SplitWords::kExpansion},
        {"create -d `id`", SplitWords::kExpansion},
    };
    for (const Case &c : cases) EXPECT_EQ(c.result, splitWords(c.text).result) << c.text;
}

// A command fed in pieces (the lines of a batch) splits as the whole text
// does, wherever the pieces are cut.
TEST(BatchWords, PiecesSplitAsTheWholeText) {
    const std::string texts[] = {
        "create -d '/TRVNS/NS1/multi\nline' next\\\nword # comment\n",
        "say \"a \\\"b\\\" c\\\nd\" 'e''f' \\\n\n",
        "a\\ b \"open\n",
        "x 'it'\\''s' \\",
        "ok; not",
    };
    for (const std::string &text : texts) {
        SplitWords whole = splitWords(text);
        for (size_t cut = 0; cut <= text.size(); ++cut) {
            WordSplitter splitter;
            splitter.feed(text.data(), cut);
            splitter.feed(text.data() + cut, text.size() - cut);
            SplitWords pieces = splitter.finish();
            EXPECT_EQ(whole.result, pieces.result) << text << " cut at " << cut;
            EXPECT_EQ(whole.words, pieces.words) << text << " cut at " << cut;
        }
    }
}

TEST(BatchWords, QuotedWordsSplitBackToThemselves) {
    const std::string words[] = {"plain",   "/TRVNS/NS1/a-b_c.d", "with space", "it's", "\"double\"",
                                 "back\\",  "$HOME",              "#hash",      "",     "tab\there",
                                 "new\nline", "N!@#$%&()",       "~user",      "*"};
    for (const std::string &word : words) {
        std::string quoted = quoteWord(word);
        SplitWords split = splitWords(quoted);
        EXPECT_EQ(SplitWords::kComplete, split.result) << quoted;
        EXPECT_EQ(Words{word}, split.words) << quoted;
    }
    EXPECT_EQ("/TRVNS/NS1/home", quoteWord("/TRVNS/NS1/home"));
    EXPECT_EQ("'a b'", quoteWord("a b"));
    EXPECT_EQ("'it'\\''s'", quoteWord("it's"));
}

}  // namespace
}  // namespace cli
