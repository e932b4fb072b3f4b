// Every file the program reads is refused unless it is a regular file no
// longer than its limit: a FIFO, a device, a folder or an over-long file
// ends the run at once with the status of a missing file, and one log line
// names the file and the reason.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "e2e_fixture.h"
#include "syslog_capture.h"

namespace trvns_test {
namespace {

constexpr char kCertFile[] = "/etc/opt/brenvik/qtrvns/ca.pem";
constexpr char kNotRegular[] = "not a regular file";
constexpr size_t kConfigLimit = size_t{1} << 20;
constexpr size_t kUserTableLimit = size_t{16} << 20;

// One kind of file the program reads, and a command that reads it.
struct Reader {
    const char *name;
    const char *path;
    size_t limit;
    std::vector<std::string> command;
    bool reasonOnStdout;  // the tree-name file's open error names the reason
};

const std::vector<std::string> kListNamespaces = {"list", "-n"};
const std::vector<std::string> kListAsUser = {"list", "-u", "velgarduser.context", "-p", "/TRVNS/NS1/home"};

const Reader kReaders[] = {
    {"client configuration", kClientConfig, kConfigLimit, kListNamespaces, false},
    {"logger configuration", kServerConfig, kConfigLimit, kListNamespaces, false},
    {"certificate file", kCertFile, kConfigLimit, kListNamespaces, false},
    {"tree-name file", kTreeConfig, kConfigLimit, kListAsUser, true},
    {"user table", kUserTable, kUserTableLimit, kListAsUser, false},
};

// What stands at the reader's path instead of a proper file.
struct Special {
    const char *name;
    void (*make)(const Reader &);
    bool tooLong;
};

void makeFifo(const Reader &reader) { ASSERT_EQ(0, mkfifo(reader.path, 0600)); }
void makeZeroDevice(const Reader &reader) { ASSERT_EQ(0, symlink("/dev/zero", reader.path)); }
void makeFolder(const Reader &reader) { ASSERT_EQ(0, mkdir(reader.path, 0700)); }
void makeOverLong(const Reader &reader) {
    // Comment lines only: read in full, the file would change nothing.
    std::string line(99, '#');
    line += '\n';
    std::string content;
    while (content.size() <= reader.limit) content += line;
    writeFile(reader.path, content);
}

const Special kSpecials[] = {
    {"FIFO", makeFifo, false},
    {"/dev/zero", makeZeroDevice, false},
    {"folder", makeFolder, false},
    {"over the limit", makeOverLong, true},
};

class BoundedReads : public EndToEnd {
protected:
    void SetUp() override {
        EndToEnd::SetUp();
        server().writeClientConfig(kClientConfig, kCertFile);
        copyFile(TestPki::get().caCert, kCertFile);
        writeFile(kServerConfig, "[logger]\nlog-level = INFO\n");
    }
    void clearPath(const char *path) {
        unlink(path);
        rmdir(path);
    }
    // Bounded in time: a reader that blocked would end with timeout's 124.
    RunResult runBounded(const std::vector<std::string> &command) {
        std::vector<std::string> args = {"20", QTRVNS_MGMT};
        args.insert(args.end(), command.begin(), command.end());
        return runProgram("/usr/bin/timeout", args, nullptr);
    }
};

TEST_F(BoundedReads, EveryFileKindRefusesSpecialAndOverLongFiles) {
    for (const Reader &reader : kReaders) {
        clearPath(reader.path);
        RunResult missing = runBounded(reader.command);
        for (const Special &special : kSpecials) {
            SCOPED_TRACE(std::string(reader.name) + " that is a " + special.name);
            clearPath(reader.path);
            special.make(reader);
            SyslogCapture log;
            RunResult result = runBounded(reader.command);
            clearPath(reader.path);

            EXPECT_EQ(missing.status, result.status) << result.out;
            std::string reason = special.tooLong ? "longer than " + std::to_string(reader.limit) + " bytes" : kNotRegular;
            EXPECT_TRUE(log.waitFor(std::string("Refusing to read ") + reader.path + ": " + reason)) << log.dump();
            if (reader.reasonOnStdout) {
                EXPECT_NE(std::string::npos,
                          result.out.find(std::string("Failed to open ") + reader.path + ": " + reason))
                    << result.out;
            } else {
                EXPECT_EQ(missing.out, result.out);
            }
        }
        SetUp();  // the files the next reader expects
    }
}

}  // namespace
}  // namespace trvns_test
