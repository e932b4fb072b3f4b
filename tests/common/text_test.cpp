// The shared text helpers: the namespace prefix rule, trimming, malloc copies.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "heap_string.h"
#include "text.h"

namespace {

TEST(NamespacePrefix, CountsOnlyAsAWholeComponent) {
    struct Case {
        const char *path;
        bool prefixed;
    };
    const Case cases[] = {
        {"/TRVNS", true},          {"/TRVNS/", true},   {"/TRVNS/ns1/home", true}, {"/TRVNSPT/keep", false},
        {"/TRVN", false},          {"TRVNS/ns1", false}, {"/trvns/ns1", false},      {"", false},
        {"//TRVNS/ns1", false},
    };
    for (const Case &c : cases) EXPECT_EQ(c.prefixed, trvns::hasNamespacePrefix(c.path)) << c.path;
}

TEST(NamespacePrefix, RootOfANamespace) {
    EXPECT_EQ("/TRVNS/ns1", trvns::namespaceRoot("ns1"));
    EXPECT_TRUE(trvns::hasNamespacePrefix(trvns::namespaceRoot("x").c_str()));
}

TEST(Trim, BothEndsOfEveryWhiteSpaceKindOnly) {
    const std::pair<const char *, const char *> cases[] = {
        {"", ""},           {" \t\r\n\v\f", ""}, {"  a b  ", "a b"}, {"\ta=b ; c\r\n", "a=b ; c"},
        {"x", "x"},         {" x", "x"},         {"x ", "x"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.second, trvns::trimmed(c.first)) << '"' << c.first << '"';
        std::string buffer = c.first;
        EXPECT_STREQ(c.second, trvns::trimInPlace(&buffer[0])) << '"' << c.first << '"';
    }
}

TEST(MallocCopy, CopiesTheGivenBytesAndEndsThem) {
    trvns::HeapString part(trvns::mallocCopy("abcdef", 3));
    ASSERT_NE(nullptr, part.get());
    EXPECT_STREQ("abc", part.get());
    trvns::HeapString empty(trvns::mallocCopy(std::string()));
    ASSERT_NE(nullptr, empty.get());
    EXPECT_STREQ("", empty.get());
    trvns::HeapString whole(trvns::mallocCopy(std::string("tree")));
    EXPECT_STREQ("tree", whole.get());
}

}  // namespace
