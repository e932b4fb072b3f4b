// INI grammar of getConfigValue, the current-file rules and log masks.
#include <syslog.h>

#include <cstdlib>
#include <memory>

#include "library_fixture.h"

namespace trvns_test {
namespace {

constexpr char kScratchIni[] = "/etc/opt/brenvik/qtrvns/scratch.ini";

struct IniCase {
    const char *name;
    const char *content;
    const char *section;
    const char *key;
    const char *expected;  // null: not found
};

const IniCase kIniCases[] = {
    {"trims key and value", "[nsserver]\n  host =  10.1.2.3  \n", "nsserver", "host", "10.1.2.3"},
    {"header keeps inner blanks", "[ nsserver ]\nhost=x\n", "nsserver", "host", nullptr},
    {"header with inner blanks matches as written", "[ nsserver ]\nhost=x\n", " nsserver ", "host", "x"},
    {"value keeps further equals signs", "[nsserver]\nhost=a=b\n", "nsserver", "host", "a=b"},
    {"value keeps a trailing remark", "[nsserver]\nhost = x ; note\n", "nsserver", "host", "x ; note"},
    {"keys match case-sensitively", "[nsserver]\nHOST=x\n", "nsserver", "host", nullptr},
    {"sections match case-sensitively", "[NSSERVER]\nhost=x\n", "nsserver", "host", nullptr},
    {"first of two keys wins", "[nsserver]\nhost=first\nhost=second\n", "nsserver", "host", "first"},
    {"first across repeated sections", "[nsserver]\nhost=one\n[other]\nhost=no\n[nsserver]\nhost=two\n",
     "nsserver", "host", "one"},
    {"empty value is skipped", "[nsserver]\nhost=\nhost=later\n", "nsserver", "host", "later"},
    {"comments and blanks are skipped", "# c\n; c\n\n[nsserver]\n  # host=no\nhost=yes\n", "nsserver", "host",
     "yes"},
    {"lines before any header are section \"\"", "host=top\n[nsserver]\n", "", "host", "top"},
    {"empty header keeps the previous section", "[nsserver]\n[]\nhost=kept\n", "nsserver", "host", "kept"},
    {"header without bracket takes the rest", "[nsserver\nhost=x\n", "nsserver", "host", "x"},
    {"key of 64 characters is skipped",
     "[s]\naaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa=1\n", "s",
     "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", nullptr},
    {"key of 63 characters is found",
     "[s]\naaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa=1\n", "s",
     "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "1"},
    {"missing key", "[nsserver]\nport=1\n", "nsserver", "host", nullptr},
    {"tab-separated pair", "[nsserver]\n\thost\t=\tvalue with space\t\n", "nsserver", "host",
     "value with space"},
};

class IniGrammar : public LibraryTest, public ::testing::WithParamInterface<IniCase> {};

TEST_P(IniGrammar, LooksUpTheValue) {
    const IniCase &c = GetParam();
    writeFile(kScratchIni, c.content);
    setConfigFile(kScratchIni);
    std::unique_ptr<char, decltype(&free)> value(getConfigValue(c.section, c.key), free);
    if (c.expected == nullptr) {
        EXPECT_EQ(nullptr, value.get());
    } else {
        ASSERT_NE(nullptr, value.get());
        EXPECT_STREQ(c.expected, value.get());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, IniGrammar, ::testing::ValuesIn(kIniCases),
                         [](const ::testing::TestParamInfo<IniCase> &info) {
                             std::string name;
                             for (const char *p = info.param.name; *p; ++p) name += isalnum(*p) ? *p : '_';
                             return name;
                         });

TEST_F(LibraryTest, LongValueIsCutTo127Characters) {
    writeFile(kScratchIni, "[s]\nk=" + std::string(200, 'v') + "\n");
    setConfigFile(kScratchIni);
    std::unique_ptr<char, decltype(&free)> value(getConfigValue("s", "k"), free);
    ASSERT_NE(nullptr, value.get());
    EXPECT_EQ(std::string(127, 'v'), value.get());
}

struct LongLineCase {
    const char *name;
    std::string content;
    const char *expected;  // the value of "port" in [s]; null: not found
};

TEST_F(LibraryTest, LineLongerThanTheBufferNeverBecomesTwoLines) {
    const LongLineCase cases[] = {
        // The tail of a long comment line must not become a live setting.
        {"commented-out key at the end of a 300-byte comment line",
         "[s]\n#" + std::string(291, ' ') + "port = 1\nport = 2\n", "2"},
        {"key right after the first 255 characters", "[s]\n#" + std::string(254, 'x') + "port=1\nport=2\n", "2"},
        {"long line at the end of the file without newline", "[s]\n#" + std::string(254, 'x') + "port=1", nullptr},
        {"section header in the tail", "[s]\n#" + std::string(254, 'x') + "[t]\nport=3\n", "3"},
        // Only the part past the buffer is dropped: the head still counts.
        {"head of a long setting line", "[s]\nport = 4" + std::string(300, ' ') + "x\nport=5\n", "4"},
        // The newline right after a full buffer ends that line, not the next.
        {"comment of exactly 255 characters", "[s]\n#" + std::string(254, 'x') + "\nport=7\n", "7"},
    };
    for (const LongLineCase &c : cases) {
        writeFile(kScratchIni, c.content);
        setConfigFile(kScratchIni);
        std::unique_ptr<char, decltype(&free)> value(getConfigValue("s", "port"), free);
        if (c.expected == nullptr) {
            EXPECT_EQ(nullptr, value.get()) << c.name;
        } else {
            ASSERT_NE(nullptr, value.get()) << c.name;
            EXPECT_STREQ(c.expected, value.get()) << c.name;
        }
    }
}

TEST_F(LibraryTest, MissingFileGivesNullAndLogsNothing) {
    setConfigFile("/etc/opt/brenvik/qtrvns/absent.ini");
    EXPECT_EQ(nullptr, getConfigValue("nsserver", "host"));
    EXPECT_TRUE(log().lines().empty()) << log().dump();
}

TEST_F(LibraryTest, EmptyOrNullConfigPathIsIgnored) {
    writeFile(kScratchIni, "[s]\nk=v\n");
    setConfigFile(kScratchIni);
    setConfigFile("");
    setConfigFile(nullptr);
    std::unique_ptr<char, decltype(&free)> value(getConfigValue("s", "k"), free);
    ASSERT_NE(nullptr, value.get());
    EXPECT_STREQ("v", value.get());
}

TEST_F(LibraryTest, OverlongConfigPathIsCutTo255Characters) {
    std::string dir = "/etc/opt/brenvik/qtrvns/";
    std::string name(255 - dir.size(), 'n');
    writeFile(dir + name, "[s]\nk=cut\n");
    setConfigFile((dir + name + "EXTRA").c_str());
    std::unique_ptr<char, decltype(&free)> value(getConfigValue("s", "k"), free);
    ASSERT_NE(nullptr, value.get());
    EXPECT_STREQ("cut", value.get());
}

struct MaskCase {
    const char *level;
    int mask;
};

TEST(LogMask, NamesMapToMasksIgnoringCase) {
    const MaskCase cases[] = {
        {"DEBUG", 0xff}, {"debug", 0xff}, {"Info", 0x7f},     {"WARNING", 0x1f}, {"warn", 0x1f},
        {"ERROR", 0x0f}, {"err", 0x0f},   {"CRITICAL", 0x07}, {"crit", 0x07},    {"verbose", 0x7f},
        {"", 0x7f},      {"debugging", 0x7f},
    };
    for (const MaskCase &c : cases) EXPECT_EQ(c.mask, getLogMask(c.level)) << c.level;
    EXPECT_EQ(0x7f, getLogMask(nullptr));
}

class LogLevel : public LibraryTest {
protected:
    void TearDown() override {
        removeFile(kServerConfig);
        setlogmask(0xff);
        LibraryTest::TearDown();
    }
    int currentMask() { return setlogmask(0); }
};

TEST_F(LogLevel, DebugLevelLetsTheConfirmationThrough) {
    writeFile(kServerConfig, "[logger]\nlog-level = DeBuG\n");
    setLogLevelFromServerConfig();
    EXPECT_EQ(0xff, currentMask());
    ASSERT_TRUE(log().waitFor("Server log level set to: DeBuG (mask: 255)"));
    auto line = log().find("Server log level set to");
    EXPECT_EQ(LOG_DEBUG, line->priority);
    EXPECT_EQ(17, line->facility);  // LOG_LOCAL1
    EXPECT_EQ("QTRVNS-MGMT", line->ident);
    EXPECT_EQ(0u, line->message.find("setLogLevelFromServerConfig("));
}

TEST_F(LogLevel, WarnLevelSelectsItsMaskAndFiltersTheConfirmation) {
    writeFile(kServerConfig, "[logger]\nlog-level = warn\n");
    setLogLevelFromServerConfig();
    EXPECT_EQ(0x1f, currentMask());
    syslog(LOG_WARNING, "marker-warning");
    ASSERT_TRUE(log().waitFor("marker-warning"));
    EXPECT_FALSE(log().contains("Server log level"));
}

TEST_F(LogLevel, MissingFileFallsBackToInfo) {
    removeFile(kServerConfig);
    setlogmask(0xff);
    setLogLevelFromServerConfig();
    EXPECT_EQ(0x7f, currentMask());
}

TEST_F(LogLevel, UnknownLevelFallsBackToInfo) {
    writeFile(kServerConfig, "[logger]\nlog-level = verbose\n");
    setLogLevelFromServerConfig();
    EXPECT_EQ(0x7f, currentMask());
}

TEST_F(LogLevel, ClientConfigurationIsCurrentAgainAfterwards) {
    writeFile(kServerConfig, "[logger]\nlog-level = debug\n");
    setLogLevelFromServerConfig();
    std::unique_ptr<char, decltype(&free)> host(getConfigValue("nsserver", "host"), free);
    ASSERT_NE(nullptr, host.get());
    EXPECT_STREQ("127.0.0.1", host.get());
}

TEST_F(LogLevel, DefaultMessageIsWrittenWhenDebugWasOnBefore) {
    // The fallback sets 0x7f first, so its own debug line is filtered.
    removeFile(kServerConfig);
    setLogLevelFromServerConfig();
    syslog(LOG_INFO, "marker-info");
    ASSERT_TRUE(log().waitFor("marker-info"));
    EXPECT_FALSE(log().contains("Server log level set to default: INFO"));
}

}  // namespace
}  // namespace trvns_test
