// The shared INI and key=value reader: the grammar, the limits and the two
// ways of splitting a key=value line.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ini_file.h"

namespace {

using Settings = std::vector<std::vector<std::string>>;

Settings allOf(const std::string &text, const trvns::IniLimits &limits) {
    Settings found;
    trvns::visitIni(text, limits, [&](const std::string &s, const std::string &k, const std::string &v) {
        found.push_back({s, k, v});
        return true;
    });
    return found;
}

TEST(Ini, GrammarOfSectionsKeysAndValues) {
    using namespace std::string_literals;  // the text holds a NUL byte
    const std::string text =
        "top = 1\n"
        "# comment=no\n"
        "  ; remark=no\n"
        "\n"
        "[ a ]\n"
        "k = v w ; note \r\n"
        "no equals sign\n"
        "=nokey\n"
        "empty=\n"
        "[]\n"
        "x=a=b\n"
        "[b\n"
        "y=1\0ignored\n"
        "z=2"s;
    const Settings expected = {
        {"", "top", "1"}, {" a ", "k", "v w ; note"}, {" a ", "x", "a=b"}, {"b", "y", "1"}, {"b", "z", "2"},
    };
    EXPECT_EQ(expected, allOf(text, trvns::kUnlimitedIni));
}

TEST(Ini, LibraryLimitsCutAndSkip) {
    const std::string longKey(64, 'k');
    const std::string text = "[" + std::string(70, 's') + "]\n" +  //
                             longKey + "=skipped\n" +               //
                             longKey.substr(1) + "=kept\n" +        //
                             "v=" + std::string(200, 'v') + "\n" +  //
                             "#" + std::string(300, ' ') + "tail=never\n";
    const std::string section(63, 's');
    const Settings expected = {{section, longKey.substr(1), "kept"}, {section, "v", std::string(127, 'v')}};
    EXPECT_EQ(expected, allOf(text, trvns::kLibraryIniLimits));
    // Without limits nothing is cut or skipped.
    EXPECT_EQ(3u, allOf(text, trvns::kUnlimitedIni).size());
}

TEST(Ini, FirstValueWinsAcrossRepeatedSections) {
    const std::string text = "[s]\nk=one\n[t]\nk=no\n[s]\nk=two\n";
    std::string value;
    ASSERT_TRUE(trvns::findIniValue(text, trvns::kLibraryIniLimits, "s", "k", &value));
    EXPECT_EQ("one", value);
    EXPECT_FALSE(trvns::findIniValue(text, trvns::kLibraryIniLimits, "S", "k", &value));
    EXPECT_FALSE(trvns::findIniValue(text, trvns::kLibraryIniLimits, "s", "K", &value));
}

std::vector<std::pair<std::string, std::string>> keyValues(const std::string &text, size_t limit,
                                                           trvns::KeySplit split) {
    std::vector<std::pair<std::string, std::string>> found;
    trvns::visitKeyValues(text, limit, split, [&](const std::string &k, const std::string &v) {
        found.emplace_back(k, v);
        return true;
    });
    return found;
}

TEST(KeyValues, SplitAtTheFirstOrTheLastEqualsSign) {
    const std::string text = "# c=1\n\n .cn=alice.o=org. = 1001 \nplain=\n; semi=1\nnone\n";
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ((Pairs{{".cn=alice.o=org.", "1001"}, {"plain", ""}, {"; semi", "1"}}),
              keyValues(text, 0, trvns::KeySplit::kLastEquals));
    EXPECT_EQ((Pairs{{".cn", "alice.o=org. = 1001"}, {"plain", ""}, {"; semi", "1"}}),
              keyValues(text, 0, trvns::KeySplit::kFirstEquals));
}

TEST(KeyValues, TheRestOfAnOverlongLineIsNeverALine) {
    const std::string text = "#" + std::string(520, ' ') + "key=tail\nkey=real\n";
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ((Pairs{{"key", "real"}}), keyValues(text, 511, trvns::KeySplit::kFirstEquals));
}

TEST(KeyValues, VisitorStopsTheWalk) {
    int seen = 0;
    trvns::visitKeyValues("a=1\nb=2\nc=3\n", 0, trvns::KeySplit::kFirstEquals,
                          [&](const std::string &, const std::string &) { return ++seen < 2; });
    EXPECT_EQ(2, seen);
}

}  // namespace
