// User name processing and the tree-name file, as a table of cases.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "test_files.h"
#include "user_name.h"

namespace trvns_test {
namespace {

struct NameCase {
    const char *name;
    const char *expected;  // null: failure
};

class UserNames : public ::testing::Test {
protected:
    void SetUp() override { writeFile(kTreeConfig, "x7q.base.tree-name = MY_TREE\n"); }
    // Runs one conversion, returning the result and what it printed.
    std::string process(const char *name, std::string *printed) {
        ::testing::internal::CaptureStdout();
        char *result = cli::processUserName(name);
        fflush(stdout);
        *printed = ::testing::internal::GetCapturedStdout();
        std::string text = result ? result : "<null>";
        free(result);
        return text;
    }
};

TEST_F(UserNames, NotationsBecomeCanonical) {
    const NameCase cases[] = {
        {"ADDOMAIN\\aduser", "ADDOMAIN\\aduser"},
        {"a\\b.c", "a\\b.c"},
        {".admin.my_org.MY_TREE.", ".admin.my_org.MY_TREE."},
        {".cn=admin.o=my_org.T=MY_TREE.", ".cn=admin.o=my_org.T=MY_TREE."},
        {"velgarduser.context", ".velgarduser.context.MY_TREE."},
        {"ab", ".ab.MY_TREE."},
        {"cn=admin,o=my_org", ".admin.my_org.MY_TREE."},
        {"CN=admin, O=my_org", ".admin.my_org.MY_TREE."},
        {"cn=admin,ou,o=my_org", ".admin.my_org.MY_TREE."},
        {"cn=,o=my_org", "..my_org.MY_TREE."},
        {"Cn=admin,o=my_org", ".Cn=admin,o=my_org.MY_TREE."},
        {"cn=admin.o=my_org", ".admin.o=my_org.MY_TREE."},
        {"cn=admin  ,o=org\t", ".admin.org.MY_TREE."},
    };
    for (const NameCase &c : cases) {
        std::string printed;
        EXPECT_EQ(c.expected, process(c.name, &printed)) << c.name;
        EXPECT_EQ("", printed) << c.name;
    }
}

TEST_F(UserNames, DomainUsersNeverReadTheTreeFile) {
    removeFile(kTreeConfig);
    std::string printed;
    EXPECT_EQ("D\\u", process("D\\u", &printed));
    EXPECT_EQ("", printed);
}

TEST_F(UserNames, EmptyAndNullNames) {
    std::string printed;
    EXPECT_EQ("<null>", process("", &printed));
    EXPECT_EQ("ERROR: processUserName: Empty name provided\n", printed);
    EXPECT_EQ("<null>", process(nullptr, &printed));
    EXPECT_EQ("ERROR: processUserName: Invalid name parameter\n", printed);
}

struct TreeCase {
    const char *content;
    const char *expected;  // null: no tree name
    const char *printed;
};

TEST_F(UserNames, TreeNameFileCases) {
    const TreeCase cases[] = {
        {"   x7q.base.tree-name =   MY_TREE  \n", "MY_TREE", ""},
        {"x7q.base.tree-name=TREE WITH SPACE\r\n", "TREE WITH SPACE", ""},
        {"# x7q.base.tree-name = OLD\nx7q.base.tree-name = NEW\n", "NEW", ""},
        {"x7q.base.tree-name=\n", nullptr, "ERROR: getVelgardTree: Empty tree name found in config file\n"},
        {"#x7q.base.tree-name = T\n", nullptr, ""},
        {"x7q.base.tree-name.old = T\n", nullptr, ""},
        {"\n\nother = 1\n", nullptr, ""},
        {"x7q.base.tree-name = FIRST\nx7q.base.tree-name = SECOND\n", "FIRST", ""},
        {"\t x7q.base.tree-name\t=\tT1\t\n", "T1", ""},
        {"X7Q.base.tree-name = T\n", nullptr, ""},
    };
    for (const TreeCase &c : cases) {
        writeFile(kTreeConfig, c.content);
        ::testing::internal::CaptureStdout();
        char *tree = cli::getVelgardTree();
        fflush(stdout);
        std::string printed = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(c.expected ? c.expected : "<null>", std::string(tree ? tree : "<null>")) << c.content;
        EXPECT_EQ(c.printed, printed) << c.content;
        free(tree);
    }
}

TEST_F(UserNames, MissingTreeFileGivesTwoLines) {
    removeFile(kTreeConfig);
    std::string printed;
    EXPECT_EQ("<null>", process("velgarduser.context", &printed));
    EXPECT_EQ("ERROR: getVelgardTree: Failed to open /etc/opt/brenvik/Velgard/conf/tmz.conf: No such file or "
              "directory\nERROR: processUserName: Failed to get Velgard tree name\n",
              printed);
}

TEST(LdapDn, ConversionEdges) {
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(nullptr, cli::convertLdapDnToDottedFormat(nullptr));
    EXPECT_EQ(nullptr, cli::convertLdapDnToDottedFormat(""));
    char *onlyCommas = cli::convertLdapDnToDottedFormat(",,,");
    char *plain = cli::convertLdapDnToDottedFormat("cn=admin,o=my_org");
    fflush(stdout);
    EXPECT_EQ("ERROR: convertLdapDnToDottedFormat: Invalid DN parameter\n"
              "ERROR: convertLdapDnToDottedFormat: Empty DN provided\n",
              ::testing::internal::GetCapturedStdout());
    EXPECT_STREQ(".", onlyCommas);
    EXPECT_STREQ(".admin.my_org", plain);
    free(onlyCommas);
    free(plain);
}

}  // namespace
}  // namespace trvns_test
