// --batch and export through the real program, library and plug-in against
// the real server.  A batch is checked against the same commands run one by
// one on a server of its own.
#include <memory>
#include <string>
#include <vector>

#include "batch_words.h"
#include "server_fixture.h"

namespace trvns_test {
namespace {

const std::string kProgram = QTRVNS_MGMT;

class Batch : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        copyFile(TRVNS_PLUGIN_FILE, "/opt/brenvik/qtrvns/plugins/libremoteops.so");
        writeFile(kTreeConfig, "x7q.base.tree-name = MY_TREE\n");
        writeFile("/etc/opt/brenvik/qtrvns/uxr-users.conf", ".alice.org.MY_TREE. = 1001\n");
        use(*server_);
    }
    // The program talks to `server` from now on.
    void use(const ServerProcess &server) {
        writeFile(kClientConfig, "[nsserver]\nhost = 127.0.0.1\nport = " + std::to_string(server.port()) +
                                     "\ncertpath = " + TestPki::get().caCert + "\n");
    }
    // A second, empty server, now the one the program talks to.
    ServerProcess &freshServer() {
        servers_.push_back(std::make_unique<ServerProcess>(dir_ + "/ns" + std::to_string(servers_.size()) + ".db"));
        servers_.back()->start();
        use(*servers_.back());
        return *servers_.back();
    }
    std::string batchFile(const std::string &text) {
        std::string file = dir_ + "/commands" + std::to_string(++files_) + ".batch";
        writeFile(file, text);
        return file;
    }
    static RunResult cli(const std::vector<std::string> &args, const char *input = "") {
        return runProgram(kProgram, args, input);
    }
    // Without a controlling terminal, so that purge cannot find one.
    static RunResult detached(const std::string &arguments, const std::string &input) {
        return run("setsid -w " + kProgram + " " + arguments, input);
    }

private:
    std::vector<std::unique_ptr<ServerProcess>> servers_;
    int files_ = 0;
};

// One command the batch runs, at its line of the file.
struct Step {
    unsigned line;
    std::vector<std::string> args;
};

struct BatchCase {
    const char *name;
    std::string text;
    std::vector<std::string> options;
    std::vector<Step> steps;  // what the batch must run, in order
};

TEST_F(Batch, PrintsWhatEachCommandPrintsAlone) {
    const std::string home = "/TRVNS/NS1/home";
    const BatchCase cases[] = {
        {"mixed commands, comments and quoting",
         "# set up\n"
         "create -n NS1\n"
         "\n"
         "create -d /TRVNS/NS1/home   # a folder\n"
         "create -d '/TRVNS/NS1/home/a b'\n"
         "create -d \"/TRVNS/NS1/home/it's\"\n"
         "create -d /TRVNS/NS1/home/back\\ slash\n"
         "   volume -a VOL1 -s fs1 -n NS1\n"
         "create -j -n j1 -d /TRVNS/NS1/home -v VOL1 -t '/d 1'\n"
         "trustee -g -p /TRVNS/NS1/home -t alice.org\n"
         "gettarget -p /TRVNS/NS1/home/j1\n"
         "trustee-list -p /TRVNS/NS1/home\n"
         "lj -n NS1\n"
         "list -n\n",
         {},
         {{2, {"create", "-n", "NS1"}},
          {4, {"create", "-d", home}},
          {5, {"create", "-d", home + "/a b"}},
          {6, {"create", "-d", home + "/it's"}},
          {7, {"create", "-d", home + "/back slash"}},
          {8, {"volume", "-a", "VOL1", "-s", "fs1", "-n", "NS1"}},
          {9, {"create", "-j", "-n", "j1", "-d", home, "-v", "VOL1", "-t", "/d 1"}},
          {10, {"trustee", "-g", "-p", home, "-t", "alice.org"}},
          {11, {"gettarget", "-p", home + "/j1"}},
          {12, {"trustee-list", "-p", home}},
          {13, {"lj", "-n", "NS1"}},
          {14, {"list", "-n"}}}},
        {"stops at the first failure",
         "create -n NS1\n"
         "# the parent is missing\n"
         "create -d /TRVNS/NS1/none/x\n"
         "create -n LATE\n",
         {},
         {{1, {"create", "-n", "NS1"}}, {3, {"create", "-d", "/TRVNS/NS1/none/x"}}}},
        {"option errors and help fail or pass as alone",
         "create -n NS1\n"
         "create -h\n"
         "delete -p\n"
         "create -n LATE\n",
         {},
         {{1, {"create", "-n", "NS1"}}, {2, {"create", "-h"}}, {3, {"delete", "-p"}}}},
        {"--force goes on and exits with the last failure's status",
         "create -d /TRVNS/NX/a\n"
         "create -n NS1\n"
         "create -n NS1\n"
         "move -s /TRVNS/NS1/x -t /TRVNS/NS1\n",
         {"--force"},
         {{1, {"create", "-d", "/TRVNS/NX/a"}},
          {2, {"create", "-n", "NS1"}},
          {3, {"create", "-n", "NS1"}},
          {4, {"move", "-s", "/TRVNS/NS1/x", "-t", "/TRVNS/NS1"}}}},
        {"--force still fails when only an earlier command did",
         "nosuchcommand\n"
         "create -n NS1\n",
         {"--force"},
         {{1, {"nosuchcommand"}}, {2, {"create", "-n", "NS1"}}}},
        {"--force: an earlier failure's status outlives a later success",
         "create -n NS1\n"
         "create -n NS1\n"
         "create -d /TRVNS/NX/a\n"
         "list -n\n",
         {"--force"},
         {{1, {"create", "-n", "NS1"}}, {2, {"create", "-n", "NS1"}}, {3, {"create", "-d", "/TRVNS/NX/a"}},
          {4, {"list", "-n"}}}},
    };
    for (const BatchCase &c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = batchFile(c.text);
        freshServer();
        std::string out, err;
        int status = 0;
        for (const Step &step : c.steps) {
            RunResult alone = cli(step.args);
            out += alone.out;
            err += alone.err;
            // The batch ends with the status of the last command that failed.
            if (alone.status != 0) status = alone.status;
            if (alone.status != 0) err += "Command failed " + file + ":" + std::to_string(step.line) + "\n";
        }

        freshServer();
        std::vector<std::string> args{"--batch", file};
        args.insert(args.end(), c.options.begin(), c.options.end());
        RunResult batch = cli(args);
        EXPECT_EQ(out, batch.out);
        EXPECT_EQ(err, batch.err);
        EXPECT_EQ(status, batch.status);
        EXPECT_EQ(std::string::npos, cli({"list", "-n"}).out.find("LATE"));  // nothing ran after the stop
    }
}

TEST_F(Batch, ReadsStandardInputAndRefusesWhatItCannotSplit) {
    RunResult fromInput = cli({"--batch", "-"}, "create -n NS1\ncreate -d '/TRVNS/NS1/x y'\n");
    EXPECT_EQ("Namespace NS1 created Successfully.\nDirectory /TRVNS/NS1/x y created successfully!\n", fromInput.out);
    EXPECT_EQ(0, fromInput.status);

    struct Case {
        std::string text;
        std::string err;
    } cases[] = {
        {"list -n\ncreate -d '/TRVNS/NS1/open\n\n",
         "Error: Unterminated quote or backslash at the end of the batch.\nCommand failed -:2\n"},
        {"list -n\nlist -n; create -n NS2\n",
         "Error: Unquoted special character in a batch command.\nCommand failed -:2\n"},
        {"list -n\ncreate -d /TRVNS/NS1/$HOME\n",
         "Error: Batch commands are not expanded; quote $ and ` in single quotes.\nCommand failed -:2\n"},
        {"list -n\n--batch other\n", "Error: --batch cannot be used inside a batch.\nCommand failed -:2\n"},
    };
    for (const Case &c : cases) {
        RunResult refused = cli({"--batch", "-"}, c.text.c_str());
        EXPECT_EQ(" Number of namespaces :1 \n NS1\n", refused.out) << c.text;
        EXPECT_EQ(c.err, refused.err) << c.text;
        EXPECT_EQ(1, refused.status) << c.text;
    }

    // A command may go on over the next line; it counts from its first.
    RunResult multiLine = cli({"--batch", "-"}, "create -d /TRVNS/NS1/two\\\nlines\ncreate -d /TRVNS/NS1/none/a\n");
    EXPECT_EQ("Directory /TRVNS/NS1/twolines created successfully!\n"
              "Creation of directory failed. Error:Not a directory or the directory path does not exist.\n",
              multiLine.out);
    EXPECT_EQ("Command failed -:3\n", multiLine.err);
    EXPECT_EQ(22, multiLine.status);

    RunResult missing = cli({"--batch", dir_ + "/none.batch"});
    EXPECT_EQ("Error: Cannot open the batch file '" + dir_ + "/none.batch': No such file or directory\n", missing.err);
    EXPECT_EQ(1, missing.status);
}

// What the reader holds is bounded: a command longer than 1 MiB ends the
// batch even with --force (a file without newlines is never read to its
// end), and a NUL byte, which no argument can hold, refuses its command.
TEST_F(Batch, RefusesCommandsItCannotHold) {
    const std::string listed = cli({"list", "-n"}).out;
    const std::string tooLong = "Error: Batch command longer than 1048576 bytes.\n";
    std::string quotedLines;
    for (int i = 0; i < 20000; ++i) quotedLines += std::string(99, 'x') + "\n";
    struct Case {
        const char *name;
        std::string text;
        std::string out;
        std::string errAfterFile;  // the failure line's "FILE:LINE" tail
        std::string err;
        int status;
    } cases[] = {
        {"a NUL byte", std::string("create -d /TRVNS/NS1/a") + '\0' + "b\nlist -n\n", listed, ":1\n",
         "Error: NUL byte in a batch command.\n", 1},
        {"one long line", "list -n\ncreate -d /TRVNS/" + std::string(3 << 20, 'y') + "\nlist -n\n", listed,
         ":2\n", tooLong, 1},
        {"a quoted word over many lines", "list -n\n\ncreate -d '" + quotedLines + "'\nlist -n\n", listed,
         ":3\n", tooLong, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = batchFile(c.text);
        RunResult result = cli({"--batch", file, "--force"});
        EXPECT_EQ(c.out, result.out);
        EXPECT_EQ(c.err + "Command failed " + file + c.errAfterFile, result.err);
        EXPECT_EQ(c.status, result.status);
    }

    RunResult endless = cli({"--batch", "/dev/zero", "--force"});
    EXPECT_EQ("", endless.out);
    EXPECT_EQ(tooLong + "Command failed /dev/zero:1\n", endless.err);
    EXPECT_EQ(1, endless.status);
}

// A command may be 1 MiB long exactly, counted without the newline that
// ends it and with those inside it; one byte more ends the batch.
TEST_F(Batch, HoldsACommandOfExactlyOneMebibyte) {
    constexpr size_t kLongest = size_t{1} << 20;
    const std::string listed = cli({"list", "-n"}).out;
    // `head` followed by a comment, `bytes` long in all.
    auto padded = [](const std::string &head, size_t bytes) {
        return head + " #" + std::string(bytes - head.size() - 2, 'x');
    };
    struct Case {
        const char *name;
        std::string command;
        const char *end;  // what follows the command in the file
        bool held;
    } cases[] = {
        {"one line of 1 MiB", padded("list -n", kLongest), "\nlist -n\n", true},
        {"one line of 1 MiB and a byte", padded("list -n", kLongest + 1), "\nlist -n\n", false},
        {"the last line, 1 MiB without a newline", padded("list -n", kLongest), "", true},
        {"the last line, 1 MiB and a byte without a newline", padded("list -n", kLongest + 1), "", false},
        {"two lines of 1 MiB", padded("list \\\n-n", kLongest), "\nlist -n\n", true},
        {"two lines of 1 MiB and a byte", padded("list \\\n-n", kLongest + 1), "\nlist -n\n", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = batchFile(c.command + c.end);
        RunResult result = cli({"--batch", file, "--force"});
        if (c.held) {
            EXPECT_EQ(*c.end != '\0' ? listed + listed : listed, result.out);
            EXPECT_EQ("", result.err);
            EXPECT_EQ(0, result.status);
        } else {
            EXPECT_EQ("", result.out);
            EXPECT_EQ("Error: Batch command longer than 1048576 bytes.\nCommand failed " + file + ":1\n", result.err);
            EXPECT_EQ(1, result.status);
        }
    }
}

TEST_F(Batch, UsageTextsOfTheirOwn) {
    const std::string batchUsage = cli({"--batch", "-h"}).out;
    const std::string exportUsage = cli({"export", "--help"}).out;
    EXPECT_EQ(0u, batchUsage.find("\nUsage:\n    qtrvns-mgmt --batch <file> [--force] [--yes]\n"));
    EXPECT_EQ(0u, exportUsage.find("\nUsage:\n    qtrvns-mgmt export -n <namespace> [-o <file>]\n"));
    struct Case {
        std::vector<std::string> args;
        std::string out;
        std::string err;
    } cases[] = {
        {{"--batch"}, batchUsage, "Error: One batch file (or - for standard input) is required.\n"},
        {{"--batch", "a", "b"}, batchUsage, "Error: One batch file (or - for standard input) is required.\n"},
        {{"--batch", "-", "--quiet"}, batchUsage, "Error: Unknown option.\n"},
        {{"export"}, exportUsage, "Error: --namespace is required.\n"},
        {{"export", "-n", "A", "-n", "B"}, "", "Error: Duplicate --namespace option.\n"},
        {{"export", "-n", "A", "extra"}, exportUsage, "Error: Unexpected arguments detected.\n"},
    };
    for (const Case &c : cases) {
        RunResult result = cli(c.args);
        EXPECT_EQ(c.out, result.out) << c.args.size();
        EXPECT_EQ(c.err, result.err) << c.args.size();
        EXPECT_EQ(1, result.status);
    }
}

TEST_F(Batch, PurgeIsNeverAnsweredByTheBatchsOwnLines) {
    const std::string kPrompt =
        " NOTE: This operation will delete the namespace data permanently.\n"
        " Do you still want to proceed with purge operation?(yes/no)";
    const std::string kCreated = "Namespace NS1 created Successfully.\n";
    const std::string kListed = " Number of namespaces :1 \n NS1\n";

    // No terminal: purge cannot be confirmed, and the next line stays a command.
    RunResult refused = detached("--batch -", "create -n NS1\npurge -n NS1\nyes\n");
    EXPECT_EQ(kCreated + kPrompt + " Error reading the input. Aborting the operation.\n", refused.out);
    EXPECT_EQ("Command failed -:2\n", refused.err);
    EXPECT_EQ(1, refused.status);
    EXPECT_EQ(kListed, cli({"list", "-n"}).out);

    RunResult forced = detached("--batch - --force", "purge -n NS1\nyes\nlist -n\n");
    EXPECT_EQ(1, forced.status);  // the refused line, though the last one succeeded
    EXPECT_NE(std::string::npos, forced.err.find("Error: Unknown command 'yes'.\nCommand failed -:2\n"));
    EXPECT_EQ(kListed, cli({"list", "-n"}).out);

    // --yes answers it, and the batch prints what purge answered "yes" prints.
    std::string file = batchFile("purge -n NS1\n");
    RunResult confirmed = detached("--batch " + file + " --yes", "");
    EXPECT_EQ(0, confirmed.status);
    EXPECT_EQ("", confirmed.err);
    cli({"create", "-n", "NS1"});
    EXPECT_EQ(cli({"purge", "-n", "NS1"}, "yes\n").out, confirmed.out);
    EXPECT_EQ(" Number of namespaces :0 \n", cli({"list", "-n"}).out);
}

TEST_F(Batch, ExportRecreatesTheNamespace) {
    ASSERT_EQ(0, cli({"create", "-n", "EXP"}).status);
    ASSERT_EQ(0, cli({"volume", "-a", "VOL1", "-s", "fs1", "-n", "EXP"}).status);
    ASSERT_EQ(0, cli({"set-cifs-attr", "-n", "EXP", "-u", "0", "-a", "acl=on; it's"}).status);
    ASSERT_EQ(0, createFolder("/EXP/home"));
    ASSERT_EQ(0, createFolder("/EXP/a b"));
    ASSERT_EQ(0, createFolder("/EXP/a b/it's \"q\""));
    ASSERT_EQ(0, createFolder("/EXP/a b/it's \"q\"/deep"));
    ASSERT_EQ(0, createJunction("/EXP/home", "j 1", "VOL1"));                     // YAR, server from the volume
    ASSERT_EQ(0, createJunction("/EXP/a b/it's \"q\"", "j2", "VOL2", "srv2", "NON-YAR", "/x"));
    ASSERT_EQ(0, grant("/EXP", ".alice.org.MY_TREE."));
    ASSERT_EQ(0, grant("/EXP/home", ".bob.org.MY_TREE."));
    ASSERT_EQ(0, grant("/EXP/home", ".alice.org.MY_TREE."));
    ASSERT_EQ(0, grant("/EXP/home/j 1", ".bob.org.MY_TREE."));

    const std::string expected =
        "create -n EXP\n"
        "set-cifs-attr -n EXP -u 0 -a 'acl=on; it'\\''s'\n"
        "trustee-grant -p /TRVNS/EXP -t .alice.org.MY_TREE.\n"
        "create -d '/TRVNS/EXP/a b'\n"
        "create -d '/TRVNS/EXP/a b/it'\\''s \"q\"'\n"
        "create -d '/TRVNS/EXP/a b/it'\\''s \"q\"/deep'\n"
        "create -j -d '/TRVNS/EXP/a b/it'\\''s \"q\"' -n j2 -s srv2 -v VOL2 -t /x -T NON-YAR\n"
        "create -d /TRVNS/EXP/home\n"
        "trustee-grant -p /TRVNS/EXP/home -t .alice.org.MY_TREE.\n"
        "trustee-grant -p /TRVNS/EXP/home -t .bob.org.MY_TREE.\n"
        "create -j -d /TRVNS/EXP/home -n 'j 1' -s fs1 -v VOL1 -t /data -T YAR\n"
        "trustee-grant -p '/TRVNS/EXP/home/j 1' -t .bob.org.MY_TREE.\n";
    std::string first = dir_ + "/first.batch";
    RunResult exported = cli({"export", "-n", "EXP", "-o", first});
    ASSERT_EQ(0, exported.status) << exported.err;
    EXPECT_EQ("", exported.out);
    EXPECT_EQ(expected, readFile(first));
    EXPECT_EQ(expected, cli({"export", "-n", "EXP"}).out);

    freshServer();
    RunResult replayed = cli({"--batch", first});
    ASSERT_EQ(0, replayed.status) << replayed.out << replayed.err;
    std::string second = dir_ + "/second.batch";
    ASSERT_EQ(0, cli({"export", "-n", "EXP", "-o", second}).status);
    EXPECT_EQ(readFile(first), readFile(second));

    RunResult missing = cli({"export", "-n", "NONE"});
    EXPECT_EQ("", missing.out);
    EXPECT_NE(0, missing.status);
    EXPECT_EQ(0u, missing.err.find("Export of /TRVNS/NONE failed. Error:"));
}

// A chain of folders hundreds deep exports in the same order as a shallow
// tree (a folder's whole chain before its next sibling), quoted where a name
// needs it, and comes back the same.
TEST_F(Batch, ExportOfADeepChainRoundTrips) {
    constexpr int kDepth = 400;
    ASSERT_EQ(0, cli({"create", "-n", "DEEP"}).status);
    ASSERT_EQ(0, cli({"volume", "-a", "VOL1", "-s", "fs1", "-n", "DEEP"}).status);
    ASSERT_EQ(0, cli({"set-cifs-attr", "-n", "DEEP", "-u", "0", "-a", "acl=on"}).status);
    // Siblings of the chain's first folder, one on each side of it.
    ASSERT_EQ(0, createFolder("/DEEP/a"));
    ASSERT_EQ(0, createFolder("/DEEP/e"));
    std::string chain;
    std::string path = "/DEEP";
    for (int level = 0; level < kDepth; ++level) {
        path += level == 7 ? "/it's 7" : "/d" + std::to_string(level);
        ASSERT_EQ(0, createFolder(path)) << path;
        chain += "create -d " + cli::quoteWord("/TRVNS" + path) + "\n";
        if (level == 200) {
            ASSERT_EQ(0, grant(path, ".alice.org.MY_TREE."));
            chain += "trustee-grant -p " + cli::quoteWord("/TRVNS" + path) + " -t .alice.org.MY_TREE.\n";
        }
    }
    ASSERT_EQ(0, createJunction(path, "j", "VOL1"));
    chain += "create -j -d " + cli::quoteWord("/TRVNS" + path) + " -n j -s fs1 -v VOL1 -t /data -T YAR\n";
    const std::string expected = "create -n DEEP\nset-cifs-attr -n DEEP -u 0 -a acl=on\ncreate -d /TRVNS/DEEP/a\n" +
                                 chain + "create -d /TRVNS/DEEP/e\n";

    std::string first = dir_ + "/deep1.batch";
    RunResult exported = cli({"export", "-n", "DEEP", "-o", first});
    ASSERT_EQ(0, exported.status) << exported.err;
    EXPECT_EQ(expected, readFile(first));

    freshServer();
    RunResult replayed = cli({"--batch", first});
    ASSERT_EQ(0, replayed.status) << replayed.err;
    std::string second = dir_ + "/deep2.batch";
    ASSERT_EQ(0, cli({"export", "-n", "DEEP", "-o", second}).status);
    EXPECT_EQ(readFile(first), readFile(second));
}

}  // namespace
}  // namespace trvns_test
