// qtrvns-mgmt --output json end to end: every command word through the
// program, the library, the plug-in and the recording server, each document
// checked against the schema in docs/json, the exit status the text mode's.
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "e2e_fixture.h"

namespace trvns_test {
namespace {

using nlohmann::json;

struct Word {
    const char *command;  // the stable name in the document
    std::vector<std::string> args;
};

const std::vector<Word> &everyWord() {
    static const std::vector<Word> words = {
        {"object-stat", {"objstat", "-p", "/TRVNS/NS1/home"}},
        {"list-directory", {"list", "-p", "/TRVNS/NS1/home"}},
        {"list-directory", {"list", "-u", "velgarduser.context", "-p", "/TRVNS/NS1/home"}},
        {"list-namespaces", {"list", "-n"}},
        {"list-namespaces", {"list-namespaces"}},
        {"list-junctions-page", {"lj", "-n", "NS1"}},
        {"list-junctions-page", {"listJunctions", "-n", "NS1", "-p", "0", "-s", "0"}},
        {"list-junctions", {"list-junctions", "-p", "/TRVNS/NS1/home"}},
        {"create-directory", {"create", "-d", "/TRVNS/NS1/a"}},
        {"create-junction", {"create", "-j", "-d", "/TRVNS/NS1", "-n", "j1", "-v", "VOL1"}},
        {"create-namespace", {"create", "-n", "NS2"}},
        {"create-namespace", {"createnamespace", "-n", "NS2"}},
        {"trustee-grant", {"trustee", "-g", "-p", "/TRVNS/NS1/a", "-t", "velgarduser.context"}},
        {"trustee-grant", {"trustee-grant", "-p", "/TRVNS/NS1/a", "-t", "velgarduser.context"}},
        {"trustee-revoke", {"trustee-revoke", "-p", "/TRVNS/NS1/a", "-t", "velgarduser.context"}},
        {"trustee-list", {"trustee-list", "-p", "/TRVNS/NS1/a"}},
        {"delete", {"delete", "-p", "/TRVNS/NS1/a"}},
        {"rename", {"rename", "-o", "/TRVNS/NS1/a", "-n", "b"}},
        {"move", {"move", "-s", "/TRVNS/NS1/a", "-t", "/TRVNS/NS1/b"}},
        {"get-target", {"gettarget", "-p", "/TRVNS/NS1/j1"}},
        {"get-cifs-attr", {"get-cifs-attr", "-n", "NS1", "-u", "7"}},
        {"set-cifs-attr", {"set-cifs-attr", "-n", "NS1", "-u", "7", "-a", "X"}},
        {"delete-namespace", {"deletenamespace", "-u", "0", "-n", "NS2"}},
        {"purge-namespace", {"purgenamespace", "-n", "NS2"}},
        {"purge-namespace", {"purge", "-n", "NS2"}},
        {"salvage-namespace", {"salvagenamespace", "-u", "0", "-n", "NS2"}},
        {"volume-add", {"volume", "-a", "VOL1"}},
        {"volume-modify", {"volume", "-m", "VOL1", "-n", "VOL2"}},
        {"volume-remove", {"volume", "-r", "VOL1"}},
        {"export", {"export", "-n", "NS1"}},
        {"help", {"--help"}},
        {"list-help", {"list", "-h"}},
        {"unknown-command", {"OBJSTAT"}},
    };
    return words;
}

class JsonOutput : public EndToEnd {
protected:
    // Runs the words in text mode and in JSON; the JSON run must give the
    // same exit status and exactly one document on standard output, which
    // is kept for the schema check.
    json run(const Word &word, const std::vector<std::string> &extra = {}) {
        std::vector<std::string> args = word.args;
        args.insert(args.end(), extra.begin(), extra.end());
        RunResult text = cli(args, "yes\n");
        std::vector<std::string> jsonArgs{"--output", "json"};
        jsonArgs.insert(jsonArgs.end(), args.begin(), args.end());
        RunResult out = cli(jsonArgs, "yes\n");
        EXPECT_EQ(text.status, out.status);
        EXPECT_FALSE(out.out.empty());
        EXPECT_EQ(out.out.size() - 1, out.out.find('\n')) << "one line, ending in a newline:\n" << out.out;
        json document = json::parse(out.out, nullptr, false);
        EXPECT_FALSE(document.is_discarded()) << out.out;
        if (document.is_discarded()) return json();
        EXPECT_EQ(word.command, document.value("command", ""));
        EXPECT_EQ(out.status == 0, document.value("ok", !(out.status == 0)));
        documents_ += out.out;
        return document;
    }
    // Every document kept so far against the schema, by a draft 2020-12
    // validator.
    void expectValidDocuments() {
        RunResult checked = runProgram("/usr/bin/python3", {VALIDATE_JSON, OUTPUT_SCHEMA}, documents_.c_str());
        EXPECT_EQ(0, checked.status) << checked.out << checked.err;
        documents_.clear();
    }

private:
    std::string documents_;
};

TEST_F(JsonOutput, EveryCommandSucceedsWithItsData) {
    for (const Word &word : everyWord()) {
        SCOPED_TRACE(word.args[0]);
        server().clear();
        json document = run(word);
        if (document.is_null() || !document.value("ok", false)) continue;
        EXPECT_FALSE(document["data"].is_null());
    }
    expectValidDocuments();
}

TEST_F(JsonOutput, EveryCommandWithoutAServer) {
    removeFile(kClientConfig);
    for (const Word &word : everyWord()) {
        SCOPED_TRACE(word.args[0]);
        json document = run(word);
        if (document.is_null() || document.value("ok", true)) continue;
        EXPECT_TRUE(document["data"].is_null());
        EXPECT_FALSE(document["status"]["message"].get<std::string>().empty());
    }
    expectValidDocuments();
}

TEST_F(JsonOutput, EveryCommandWithAnOptionItDoesNotKnow) {
    for (const Word &word : everyWord()) {
        SCOPED_TRACE(word.args[0]);
        json document = run(word, {"--no-such-option"});
        if (document.is_null() || document.value("ok", true)) continue;
        EXPECT_TRUE(document["status"]["code"].is_null());
        EXPECT_FALSE(document["status"]["message"].get<std::string>().empty());
    }
    expectValidDocuments();
}

TEST_F(JsonOutput, AServerStatusIsReportedWithItsSentence) {
    struct Case {
        Word word;
        const char *rpc;
        int retCode;
    } cases[] = {
        {{"create-namespace", {"create", "-n", "NS2"}}, "CreateNamespace", 118},
        {{"list-namespaces", {"list", "-n"}}, "GetNamespaces", -100},
        {{"salvage-namespace", {"salvagenamespace", "-u", "0", "-n", "NS2"}}, "SalvageNamespace", -100},
        {{"create-directory", {"create", "-d", "/TRVNS/NS1/a"}}, "CreateFolder", 117},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.rpc);
        server().clear();
        if (std::string(c.rpc) == "CreateNamespace") replyWith<CreateNamespaceReply>(c.rpc, c.retCode);
        if (std::string(c.rpc) == "GetNamespaces") replyWith<GetNamespacesReply>(c.rpc, c.retCode);
        if (std::string(c.rpc) == "SalvageNamespace") replyWith<SalvageNamespaceReply>(c.rpc, c.retCode);
        if (std::string(c.rpc) == "CreateFolder") replyWith<CreateFolderReply>(c.rpc, c.retCode);
        json document = run(c.word);
        EXPECT_FALSE(document.value("ok", true));
        EXPECT_EQ(c.retCode, document["status"].value("code", 0));
        EXPECT_EQ(1, document["status"].value("module", 0));
        EXPECT_TRUE(document["status"]["posix"].is_number());
    }
    expectValidDocuments();
}

TEST_F(JsonOutput, ControlCharactersAndBytesThatAreNotUtf8StillGiveValidJson) {
    GetNamespacesReply namespaces;
    namespaces.add_namespaces()->set_name("N\x01S\x1b[31m1");
    server().setReply("GetNamespaces", namespaces);
    json listed = run({"list-namespaces", {"list", "-n"}});
    ASSERT_TRUE(listed.value("ok", false));
    EXPECT_EQ("N\x01S\x1b[31m1", listed["data"]["namespaces"][0]["name"].get<std::string>());

    // Each bad byte becomes U+FFFD; everything around it is kept.
    json unknown = run({"unknown-command", {"ab\xff\xfe" "cd"}});
    EXPECT_EQ("Error: Unknown command 'ab\xef\xbf\xbd\xef\xbf\xbd" "cd'.", unknown["status"].value("message", ""));
    expectValidDocuments();
}

TEST_F(JsonOutput, ABatchWritesOneDocumentPerCommand) {
    std::string file = "/tmp/json-batch";
    writeFile(file, "create -n NS1\nnosuchcommand\n\nlist -n\ncreate -d 'open\n");
    RunResult batch = cli({"--output=json", "--batch", file, "--force"});
    EXPECT_EQ(1, batch.status);  // the last failure: the open quote
    std::vector<std::string> commands;
    size_t start = 0;
    for (size_t end; (end = batch.out.find('\n', start)) != std::string::npos; start = end + 1) {
        json document = json::parse(batch.out.substr(start, end - start), nullptr, false);
        ASSERT_FALSE(document.is_discarded()) << batch.out;
        commands.push_back(document.value("command", ""));
    }
    EXPECT_EQ((std::vector<std::string>{"create-namespace", "unknown-command", "list-namespaces", "batch-command"}),
              commands);
    EXPECT_NE(std::string::npos, batch.err.find("Error: Unknown command 'nosuchcommand'."));
    RunResult checked = runProgram("/usr/bin/python3", {VALIDATE_JSON, OUTPUT_SCHEMA}, batch.out.c_str());
    EXPECT_EQ(0, checked.status) << checked.out << checked.err;
}

TEST_F(JsonOutput, TheFormatIsCheckedBeforeTheCommand) {
    for (const std::vector<std::string> &args : std::vector<std::vector<std::string>>{
             {"--output", "yaml", "list", "-n"}, {"--output"}, {"--output="}}) {
        RunResult result = cli(args);
        EXPECT_EQ(1, result.status);
        EXPECT_EQ("", result.out);
        EXPECT_NE(std::string::npos, result.err.find("--output") == std::string::npos
                                         ? result.err.find("output format")
                                         : result.err.find("--output"));
    }
    RunResult text = cli({"--output", "text", "list", "-n"});
    RunResult plain = cli({"list", "-n"});
    EXPECT_EQ(plain.out, text.out);
    EXPECT_EQ(plain.status, text.status);
}

}  // namespace
}  // namespace trvns_test
