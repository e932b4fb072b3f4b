// The server as something reachable over the network: its command line, a
// port already taken, client certificates, owner-only files, the audit
// trail, refused unprintable characters and online backups.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "server_fixture.h"

namespace trvns_test {
namespace {

using namespace trvnamespace;
using Names = std::vector<std::string>;

constexpr char kOpenPortWarning[] = "any client that reaches the port acts as an administrator";

bool has(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

int modeOf(const std::string &path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return -1;
    return static_cast<int>(st.st_mode & 0777);
}

std::vector<std::string> auditLines(const std::string &log) {
    std::vector<std::string> lines;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("trvns-nsserver: audit ", 0) == 0) lines.push_back(line);
    }
    return lines;
}

TEST(ServerCommandLine, HelpVersionAndWrongOptions) {
    struct Case {
        std::vector<std::string> args;
        int status;
        bool usageOnStdout, usageOnStderr;
        std::string out;
    };
    const Case cases[] = {
        {{"--help"}, 0, true, false, ""},
        {{"--version"}, 0, false, false, std::string("trvns-nsserver ") + TRVNS_PROJECT_VERSION + "\n"},
        {{"--bogus"}, 2, false, true, ""},
        {{"--listen"}, 2, false, true, ""},
        {{"stray"}, 2, false, true, ""},
        {{"--listen", "127.0.0.1:0"}, 2, false, true, ""},  // no certificate to serve with
    };
    for (const Case &c : cases) {
        RunResult result = runProgram(TRVNS_NSSERVER, c.args);
        SCOPED_TRACE(c.args[0]);
        EXPECT_EQ(c.status, result.status);
        EXPECT_EQ(c.usageOnStdout, has(result.out, "usage: trvns-nsserver"));
        EXPECT_EQ(c.usageOnStderr, has(result.err, "usage: trvns-nsserver"));
        if (!c.out.empty()) {
            EXPECT_EQ(c.out, result.out);
        }
    }
}

TEST_F(ServerTest, ASecondServerOnTheSamePortRefusesToStart) {
    const TestPki &pki = TestPki::get();
    const std::string listen = "127.0.0.1:" + std::to_string(server_->port());
    RunResult second = run("timeout 20 " + std::string(TRVNS_NSSERVER) + " --listen " + listen + " --cert " +
                           pki.serverCert + " --key " + pki.serverKey + " --database " + dir_ + "/other.db");
    EXPECT_NE(0, second.status);
    EXPECT_NE(124, second.status) << "the second server kept running";
    EXPECT_TRUE(has(second.err, "cannot listen on " + listen)) << second.err;
    // Every request still reaches the one server and its database.
    for (int i = 0; i < 10; ++i) EXPECT_EQ(0, createNamespace("NS" + std::to_string(i)));
    EXPECT_EQ(10u, namespaces().size());
}

TEST_F(ServerTest, DatabaseFilesAreOwnerOnly) {
    ASSERT_EQ(0, createNamespace("NS1"));
    const std::string db = server_->database();
    for (const std::string &file : {db, db + "-wal", db + "-shm"}) EXPECT_EQ(0600, modeOf(file)) << file;

    // A database made readable by others before is narrowed at start.
    server_->stop(SIGTERM);
    for (const std::string &file : {db, db + "-wal", db + "-shm"}) chmod(file.c_str(), 0644);
    server_->start();
    stub_ = server_->stub();
    EXPECT_EQ((Names{"NS1"}), namespaces());
    for (const std::string &file : {db, db + "-wal", db + "-shm"}) EXPECT_EQ(0600, modeOf(file)) << file;
}

TEST_F(ServerTest, WithoutAClientCaTheServerSaysAnyoneIsAdministrator) {
    EXPECT_TRUE(has(server_->log(), kOpenPortWarning)) << server_->log();
}

// Client certificates of the test CA and of an unrelated one, made once.
struct ClientPki {
    std::string cert, key, otherCert, otherKey;
    static const ClientPki &get() {
        static const ClientPki pki = [] {
            const std::string dir = TestPki::get().dir;
            ClientPki p{dir + "/client.pem", dir + "/client.key", dir + "/stranger.pem", dir + "/stranger.key"};
            RunResult made = run("set -e; cd " + dir + R"(
openssl req -newkey rsa:2048 -nodes -subj /CN=trvns-admin -keyout client.key -out client.csr 2>/dev/null
openssl x509 -req -in client.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -out client.pem 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj /CN=stranger -keyout stranger.key -out stranger.csr 2>/dev/null
openssl x509 -req -in stranger.csr -CA other-ca.pem -CAkey other-ca.key -CAcreateserial -days 2 -out stranger.pem 2>/dev/null
)");
            if (made.status != 0) throw std::runtime_error("cannot make client certificates: " + made.err);
            return p;
        }();
        return pki;
    }
};

// The client CA given on the command line (true) or in [server] of --config.
class MutualTlsTest : public ServerTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/trvns-server.XXXXXX";
        dir_ = mkdtemp(pattern);
        std::vector<std::string> args = {"--client-ca", TestPki::get().caCert};
        if (!GetParam()) {
            writeFile(dir_ + "/nsserver.ini", "[server]\nclient_ca = " + TestPki::get().caCert + "\n");
            args = {"--config", dir_ + "/nsserver.ini"};
        }
        server_ = std::make_unique<ServerProcess>(dir_ + "/ns.db", args);
        server_->start();
    }
    // CreateNamespace through a channel presenting `cert` (none when empty).
    int createWith(const std::string &cert, const std::string &key, const std::string &name) {
        grpc::SslCredentialsOptions tls;
        tls.pem_root_certs = readFile(TestPki::get().caCert);
        if (!cert.empty()) {
            tls.pem_cert_chain = readFile(cert);
            tls.pem_private_key = readFile(key);
        }
        auto stub = TRVNamespaceServer::NewStub(
            grpc::CreateChannel("127.0.0.1:" + std::to_string(server_->port()), grpc::SslCredentials(tls)));
        CreateNamespaceInput in;
        in.set_name(name);
        CreateNamespaceReply reply;
        grpc::ClientContext context;
        context.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(10));
        return stub->CreateNamespace(&context, in, &reply).ok() ? reply.retcode() : kCallFailed;
    }
};

TEST_P(MutualTlsTest, OnlyClientsWithACertificateOfTheCaGetIn) {
    const ClientPki &client = ClientPki::get();
    EXPECT_EQ(kCallFailed, createWith("", "", "NS1"));
    EXPECT_EQ(kCallFailed, createWith(client.otherCert, client.otherKey, "NS2"));
    EXPECT_EQ(0, createWith(client.cert, client.key, "NS3"));

    const std::vector<std::string> audit = auditLines(server_->log());
    ASSERT_EQ(1u, audit.size()) << server_->log();  // refused clients never reach a request
    EXPECT_TRUE(has(audit[0], " client=\"CN=trvns-admin\" rpc=CreateNamespace name=\"NS3\" retCode=0")) << audit[0];
    EXPECT_FALSE(has(server_->log(), kOpenPortWarning));
}


// The program presents the pair of its client configuration; without it the
// server refuses the connection and the command fails.
TEST_P(MutualTlsTest, TheProgramGetsInWithTheClientPairOfItsConfiguration) {
    const ClientPki &client = ClientPki::get();
    copyFile(TRVNS_PLUGIN_FILE, "/opt/brenvik/qtrvns/plugins/libremoteops.so");
    writeFile(kTreeConfig, "x7q.base.tree-name = MY_TREE\n");
    const std::string base = "[nsserver]\nhost = 127.0.0.1\nport = " + std::to_string(server_->port()) +
                             "\ncertpath = " + TestPki::get().caCert + "\ntimeout = 10\n";

    writeFile(kClientConfig, base + "clientcert = " + client.cert + "\nclientkey = " + client.key + "\n");
    RunResult accepted = runProgram(QTRVNS_MGMT, {"create", "-n", "NS1"});
    EXPECT_EQ(0, accepted.status) << accepted.out << accepted.err;
    EXPECT_EQ("Namespace NS1 created Successfully.\n", accepted.out);

    for (const std::string &pair : {std::string(),
                                    "clientcert = " + client.otherCert + "\nclientkey = " + client.otherKey + "\n"}) {
        writeFile(kClientConfig, base + pair);
        RunResult refused = runProgram(QTRVNS_MGMT, {"create", "-n", "NS2"});
        EXPECT_NE(0, refused.status) << pair << refused.out << refused.err;
    }
    writeFile(kClientConfig, base + "clientcert = " + client.cert + "\nclientkey = " + client.key + "\n");
    EXPECT_EQ(" Number of namespaces :1 \n NS1\n", runProgram(QTRVNS_MGMT, {"list", "-n"}).out);

    const std::vector<std::string> audit = auditLines(server_->log());
    ASSERT_EQ(1u, audit.size()) << server_->log();
    EXPECT_TRUE(has(audit[0], " client=\"CN=trvns-admin\" rpc=CreateNamespace name=\"NS1\" retCode=0")) << audit[0];
}

INSTANTIATE_TEST_SUITE_P(CommandLineAndConfig, MutualTlsTest, ::testing::Bool());

TEST_F(ServerTest, EveryChangeRequestLeavesOneAuditLine) {
    ASSERT_EQ(0, createNamespace("NS1"));
    ASSERT_EQ(0, createFolder("/NS1/home"));
    AddVolumeEntryInput add;
    add.set_volumename("VOL1");
    add.set_servername("srv1");
    add.set_namespace_("NS1");
    ModifyVolumeEntryInput modify;
    modify.set_oldvolumename("VOL1");
    modify.set_newvolumename("VOL2");
    RemoveVolumeEntryInput removeVolume;
    removeVolume.set_volumename("VOL2");
    SetNSCifsAttrInput cifs;
    cifs.set_name_space("NS1");
    cifs.set_cifsattr("share=yes");
    struct Case {
        std::function<int()> request;
        std::string line;  // what follows the client subject
    };
    const Case cases[] = {
        {[&] { return createFolder("/NS1/home/a\033b"); }, "rpc=CreateFolder path=\"/NS1/home/a\\x1bb\" retCode=122"},
        {[&] { return createJunction("/NS1/home", "j1", "VOL1"); },
         "rpc=CreateJunction path=\"/NS1/home\" name=\"j1\" retCode=0"},
        {[&] { return rename("/NS1/home/j1", "j2"); }, "rpc=Rename path=\"/NS1/home/j1\" newname=\"j2\" retCode=0"},
        {[&] { return move("/NS1/home/j2", "/NS1"); }, "rpc=Move path=\"/NS1/home/j2\" target=\"/NS1\" retCode=0"},
        {[&] { return grant("/NS1/home", "u\"1"); },
         "rpc=TrusteeGrant path=\"/NS1/home\" trustee=\"u\\\"1\" retCode=0"},
        {[&] { return revoke("/NS1/home", "nobody"); },
         "rpc=TrusteeRevoke path=\"/NS1/home\" trustee=\"nobody\" retCode=116"},
        {[&] { return remove("/NS1/j2"); }, "rpc=Remove path=\"/NS1/j2\" retCode=0"},
        {[&] { return call(&Stub::AddVolumeEntry, add); },
         "rpc=AddVolumeEntry volume=\"VOL1\" server=\"srv1\" namespace=\"NS1\" retCode=0"},
        {[&] { return call(&Stub::ModifyVolumeEntry, modify); },
         "rpc=ModifyVolumeEntry volume=\"VOL1\" newname=\"VOL2\" server=\"\" retCode=0"},
        {[&] { return call(&Stub::RemoveVolumeEntry, removeVolume); },
         "rpc=RemoveVolumeEntry volume=\"VOL2\" server=\"\" retCode=0"},
        {[&] { return call(&Stub::SetNSCifsAttr, cifs); },
         "rpc=SetNSCifsAttr name=\"NS1\" cifsattr=\"share=yes\" retCode=0"},
        {[&] { return deleteNamespace("NS1"); }, "rpc=DeleteNamespace name=\"NS1\" retCode=0"},
        {[&] { return salvageNamespace("NS1"); }, "rpc=SalvageNamespace name=\"NS1\" retCode=0"},
        {[&] { return purgeNamespace("NS1"); }, "rpc=PurgeNamespace name=\"NS1\" retCode=0"},
        {[&] { return createNamespace("NS1"); }, "rpc=CreateNamespace name=\"NS1\" retCode=0"},
    };
    for (const Case &c : cases) {
        size_t before = auditLines(server_->log()).size();
        c.request();
        namespaces();  // a read leaves no line
        dirStat("/NS1");
        std::vector<std::string> lines = auditLines(server_->log());
        ASSERT_EQ(before + 1, lines.size()) << c.line;
        const std::string &line = lines.back();
        EXPECT_TRUE(has(line, " peer=ipv4:127.0.0.1:")) << line;
        EXPECT_TRUE(has(line, " client=- " + c.line)) << line << "\nexpected: " << c.line;
        EXPECT_EQ(line.size() - c.line.size(), line.rfind(c.line)) << line;
    }
}

TEST_F(ServerTest, ControlCharactersAreRefusedInEveryStoredText) {
    ASSERT_EQ(0, createNamespace("NS1"));
    ASSERT_EQ(0, createFolder("/NS1/home"));
    const std::string esc = "a\033[31mb";
    CreateNamespaceInput ns;
    ns.set_name("NS2");
    ns.set_attribute1(esc);
    SetNSCifsAttrInput cifs;
    cifs.set_name_space("NS1");
    cifs.set_cifsattr("x\ny");
    TrusteeGrantInput guid;
    guid.set_path("/NS1/home");
    guid.mutable_trustee()->set_name("alice");
    guid.mutable_trustee()->set_guid(esc);
    AddVolumeEntryInput volume;
    volume.set_volumename("VOL1");
    volume.set_servername(esc);
    struct Case {
        const char *what;
        std::function<int()> request;
    };
    const Case cases[] = {
        {"folder name", [&] { return createFolder("/NS1/" + esc); }},
        {"junction name", [&] { return createJunction("/NS1", esc, "VOL1"); }},
        {"target volume", [&] { return createJunction("/NS1", "j1", esc); }},
        {"target server", [&] { return createJunction("/NS1", "j1", "VOL1", esc); }},
        {"target path", [&] { return createJunction("/NS1", "j1", "VOL1", "srv", "YAR", "/" + esc); }},
        {"new name", [&] { return rename("/NS1/home", esc); }},
        {"trustee name", [&] { return grant("/NS1/home", esc); }},
        {"trustee name DEL", [&] { return grant("/NS1/home", "a\177b"); }},
        {"trustee guid", [&] { return call(&Stub::TrusteeGrant, guid); }},
        {"namespace attribute", [&] { return call(&Stub::CreateNamespace, ns); }},
        {"CIFS attribute", [&] { return call(&Stub::SetNSCifsAttr, cifs); }},
        {"volume server", [&] { return call(&Stub::AddVolumeEntry, volume); }},
    };
    for (const Case &c : cases) EXPECT_EQ(122, c.request()) << c.what;

    EXPECT_EQ((Names{"home"}), names("/NS1"));
    EXPECT_EQ((Names{"NS1"}), namespaces());
    TrusteeListInput list;
    list.set_path("/NS1/home");
    TrusteeListReply trustees;
    ASSERT_EQ(0, call(&Stub::TrusteeList, list, &trustees));
    EXPECT_EQ(0, trustees.trustees_size());
    GetNSCifsAttrInput get;
    get.set_name_space("NS1");
    GetNSCifsAttrReply attr;
    ASSERT_EQ(0, call(&Stub::GetNSCifsAttr, get, &attr));
    EXPECT_EQ("", attr.cifsattr());
}

// One character of each class a stored text may not hold, and one next to
// each class that it may.
const std::pair<const char *, std::string> kUnprintable[] = {
    {"U+0080", "\xc2\x80"},          {"U+0085 next line", "\xc2\x85"}, {"U+009B CSI", "\xc2\x9b"},
    {"U+009F", "\xc2\x9f"},          {"U+2028", "\xe2\x80\xa8"},       {"U+2029", "\xe2\x80\xa9"},
    {"U+202A", "\xe2\x80\xaa"},      {"U+202E", "\xe2\x80\xae"},       {"U+2066", "\xe2\x81\xa6"},
    {"U+2069", "\xe2\x81\xa9"},
};
const std::pair<const char *, std::string> kPrintable[] = {
    {"e acute", "\xc3\xa9"},          {"CJK", "\xe5\x90\x8d\xe5\x89\x8d"}, {"emoji", "\xf0\x9f\x93\x81"},
    {"U+00A0", "\xc2\xa0"},           {"U+2027", "\xe2\x80\xa7"},          {"U+202F", "\xe2\x80\xaf"},
};

TEST_F(ServerTest, C1SeparatorsAndBidiControlsAreRefusedInEveryStoredText) {
    ASSERT_EQ(0, createNamespace("NS1"));
    ASSERT_EQ(0, createFolder("/NS1/home"));
    AddVolumeEntryInput known;
    known.set_volumename("VOL1");
    known.set_servername("srv");
    ASSERT_EQ(0, call(&Stub::AddVolumeEntry, known));
    for (const auto &bad : kUnprintable) {
        SCOPED_TRACE(bad.first);
        const std::string text = "a" + bad.second + "b";
        CreateNamespaceInput ns;
        ns.set_name("NS2");
        ns.set_attribute1(text);
        SetNSCifsAttrInput cifs;
        cifs.set_name_space("NS1");
        cifs.set_cifsattr(text);
        TrusteeGrantInput guid;
        guid.set_path("/NS1/home");
        guid.mutable_trustee()->set_name("alice");
        guid.mutable_trustee()->set_guid(text);
        AddVolumeEntryInput volumeServer;
        volumeServer.set_volumename("VOL2");
        volumeServer.set_servername(text);
        AddVolumeEntryInput volumeName;
        volumeName.set_volumename(text);
        ModifyVolumeEntryInput newVolumeName;
        newVolumeName.set_oldvolumename("VOL1");
        newVolumeName.set_newvolumename(text);
        struct Case {
            const char *what;
            std::function<int()> request;
            int status;
        };
        const Case cases[] = {
            {"folder name", [&] { return createFolder("/NS1/" + text); }, 122},
            {"folder below", [&] { return createFolder("/NS1/" + text + "/x"); }, 122},
            {"junction name", [&] { return createJunction("/NS1", text, "VOL1"); }, 122},
            {"target volume", [&] { return createJunction("/NS1", "j1", text); }, 122},
            {"target server", [&] { return createJunction("/NS1", "j1", "VOL1", text); }, 122},
            {"target path", [&] { return createJunction("/NS1", "j1", "VOL1", "srv", "YAR", "/" + text); }, 122},
            {"new name", [&] { return rename("/NS1/home", text); }, 122},
            {"trustee name", [&] { return grant("/NS1/home", text); }, 122},
            {"trustee guid", [&] { return call(&Stub::TrusteeGrant, guid); }, 122},
            {"namespace attribute", [&] { return call(&Stub::CreateNamespace, ns); }, 122},
            {"CIFS attribute", [&] { return call(&Stub::SetNSCifsAttr, cifs); }, 122},
            {"volume server", [&] { return call(&Stub::AddVolumeEntry, volumeServer); }, 122},
            // Volume requests answer an invalid volume name with their own code.
            {"volume name", [&] { return call(&Stub::AddVolumeEntry, volumeName); }, 121},
            {"new volume name", [&] { return call(&Stub::ModifyVolumeEntry, newVolumeName); }, 121},
        };
        for (const Case &c : cases) EXPECT_EQ(c.status, c.request()) << c.what;
    }
    // Nothing of it was stored.
    EXPECT_EQ((Names{"home"}), names("/NS1"));
    EXPECT_EQ((Names{"NS1"}), namespaces());
    TrusteeListInput list;
    list.set_path("/NS1/home");
    TrusteeListReply trustees;
    ASSERT_EQ(0, call(&Stub::TrusteeList, list, &trustees));
    EXPECT_EQ(0, trustees.trustees_size());
    GetNSCifsAttrInput get;
    get.set_name_space("NS1");
    GetNSCifsAttrReply attr;
    ASSERT_EQ(0, call(&Stub::GetNSCifsAttr, get, &attr));
    EXPECT_EQ("", attr.cifsattr());
}

TEST_F(ServerTest, OtherNonAsciiTextIsStoredAndReadBackAsItIs) {
    ASSERT_EQ(0, createNamespace("NS1"));
    Names folders;
    for (const auto &good : kPrintable) {
        SCOPED_TRACE(good.first);
        const std::string text = "a" + good.second + "b";
        ASSERT_EQ(0, createFolder("/NS1/" + text));
        folders.push_back(text);
        ASSERT_EQ(0, createJunction("/NS1/" + text, "j" + text, "v" + text, "s" + text, "YAR", "/p" + text));
        ASSERT_EQ(0, grant("/NS1/" + text, "u" + text));
        ASSERT_EQ(0, rename("/NS1/" + text + "/j" + text, "k" + text));

        GetJunctionTargetInput target;
        target.set_path("/NS1/" + text + "/k" + text);
        GetJunctionTargetReply targets;
        ASSERT_EQ(0, call(&Stub::GetJunctionTarget, target, &targets));
        ASSERT_EQ(1, targets.targets_size());
        EXPECT_EQ("s" + text, targets.targets(0).server());
        EXPECT_EQ("v" + text, targets.targets(0).volume());
        EXPECT_EQ("/p" + text, targets.targets(0).path());
        TrusteeListInput list;
        list.set_path("/NS1/" + text);
        TrusteeListReply trustees;
        ASSERT_EQ(0, call(&Stub::TrusteeList, list, &trustees));
        ASSERT_EQ(1, trustees.trustees_size());
        EXPECT_EQ("u" + text, trustees.trustees(0).name());
        SetNSCifsAttrInput cifs;
        cifs.set_name_space("NS1");
        cifs.set_cifsattr("c" + text);
        ASSERT_EQ(0, call(&Stub::SetNSCifsAttr, cifs));
        GetNSCifsAttrInput get;
        get.set_name_space("NS1");
        GetNSCifsAttrReply attr;
        ASSERT_EQ(0, call(&Stub::GetNSCifsAttr, get, &attr));
        EXPECT_EQ("c" + text, attr.cifsattr());
    }
    Names listed = names("/NS1");
    std::sort(folders.begin(), folders.end());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(folders, listed);
}

// The log split into lines the way Unicode does it: at LF, VT, FF, CR,
// CR LF, the separators 1C to 1E, U+0085, U+2028 and U+2029.
std::vector<std::string> unicodeLines(const std::string &log) {
    static const std::vector<std::string> kBreaks = {"\r\n", "\n", "\v", "\f", "\r", "\x1c", "\x1d", "\x1e",
                                                     "\xc2\x85", "\xe2\x80\xa8", "\xe2\x80\xa9"};
    std::vector<std::string> lines;
    std::string line;
    for (size_t at = 0; at < log.size();) {
        size_t length = 0;
        for (const std::string &brk : kBreaks) {
            if (log.compare(at, brk.size(), brk) == 0) {
                length = brk.size();
                break;
            }
        }
        if (length == 0) {
            line += log[at++];
            continue;
        }
        lines.push_back(line);
        line.clear();
        at += length;
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

TEST_F(ServerTest, NoStoredOrRequestedTextCanForgeAnAuditLine) {
    ASSERT_EQ(0, createNamespace("NS1"));
    ASSERT_EQ(0, createFolder("/NS1/home"));
    const std::string forged =
        "trvns-nsserver: audit peer=ipv4:127.0.0.1:1 client=- rpc=PurgeNamespace name=\"PROD\" retCode=0";
    const std::string escaped =
        "trvns-nsserver: audit peer=ipv4:127.0.0.1:1 client=- rpc=PurgeNamespace name=\\\"PROD\\\" retCode=0";
    RemoveVolumeEntryInput volume;
    volume.set_volumename("VOL\xe2\x80\xae" "1");
    struct Case {
        std::function<int()> request;
        std::string line;  // what follows the client subject
    };
    // Names that are only looked up reach the line without the store's
    // checks; a checked one is refused but leaves its line as well.
    const Case cases[] = {
        {[&] { return deleteNamespace("PROD\xe2\x80\xa8" + forged); },
         "rpc=DeleteNamespace name=\"PROD\\u2028" + escaped + "\" retCode=-100"},
        {[&] { return remove("/PROD\xc2\x85" + forged + "/x"); },
         "rpc=Remove path=\"/PROD\\u0085" + escaped + "/x\" retCode=-100"},
        {[&] { return revoke("/NS1/home", "u\xe2\x80\xa9" + forged); },
         "rpc=TrusteeRevoke path=\"/NS1/home\" trustee=\"u\\u2029" + escaped + "\" retCode=116"},
        {[&] { return createFolder("/NS1/home/a\xe2\x80\xa8" + forged); },
         "rpc=CreateFolder path=\"/NS1/home/a\\u2028" + escaped + "\" retCode=122"},
        {[&] { return call(&Stub::RemoveVolumeEntry, volume); },
         "rpc=RemoveVolumeEntry volume=\"VOL\\u202e1\" server=\"\" retCode=129"},
    };
    for (const Case &c : cases) c.request();

    const std::string log = server_->log();
    std::vector<std::string> audit;
    for (const std::string &line : unicodeLines(log)) {
        EXPECT_FALSE(has(line, "rpc=") && line.rfind("trvns-nsserver: audit ", 0) != 0) << line;
        if (line.rfind("trvns-nsserver: audit ", 0) == 0) audit.push_back(line);
    }
    ASSERT_EQ(2 + sizeof cases / sizeof cases[0], audit.size()) << log;
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const std::string &line = audit[2 + i];
        const std::string &expected = cases[i].line;
        EXPECT_TRUE(has(line, " client=- " + expected)) << line << "\nexpected: " << expected;
        EXPECT_EQ(line.size() - expected.size(), line.rfind(expected)) << line;
    }
    for (const auto &bad : kUnprintable) EXPECT_FALSE(has(log, bad.second)) << bad.first << " is in the log raw";
}

TEST_F(ServerTest, ABackupDuringABurstOfWritesHoldsEveryEarlierChange) {
    ASSERT_EQ(0, createNamespace("NS1"));
    std::mutex mutex;
    std::vector<std::string> acknowledged;
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        auto stub = server_->stub();
        for (int i = 0; !stop; ++i) {
            CreateFolderInput in;
            in.set_path("/NS1/f" + std::to_string(i));
            CreateFolderReply reply;
            grpc::ClientContext context;
            if (!stub->CreateFolder(&context, in, &reply).ok()) break;
            std::lock_guard<std::mutex> lock(mutex);
            if (reply.retcode() == 0) acknowledged.push_back("f" + std::to_string(i));
        }
    });
    auto count = [&] {
        std::lock_guard<std::mutex> lock(mutex);
        return acknowledged.size();
    };
    while (count() < 50) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::vector<std::string> before;
    {
        std::lock_guard<std::mutex> lock(mutex);
        before = acknowledged;
    }
    const std::string copy = dir_ + "/copy.db";
    RunResult backup = runProgram(TRVNS_NSSERVER, {"--database", server_->database(), "--backup", copy});
    while (count() < before.size() + 50) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    stop = true;
    writer.join();
    ASSERT_EQ(0, backup.status) << backup.err;
    EXPECT_EQ(0600, modeOf(copy));

    RunResult check = run("sqlite3 " + copy + " 'PRAGMA integrity_check'");
    EXPECT_EQ("ok\n", check.out) << check.err;
    // The copy serves like the original did when it was taken.
    server_->stop(SIGTERM);
    server_ = std::make_unique<ServerProcess>(copy);
    server_->start();
    stub_ = server_->stub();
    Names present = names("/NS1");
    std::set<std::string> found(present.begin(), present.end());
    for (const std::string &name : before) EXPECT_EQ(1u, found.count(name)) << name << " is missing";
}

// The names in a folder.
std::set<std::string> entriesOf(const std::string &folder) {
    std::set<std::string> entries;
    for (const auto &entry : std::filesystem::directory_iterator(folder)) entries.insert(entry.path().filename());
    return entries;
}

TEST_F(ServerTest, ABackupIsANewOwnerOnlyFileAndNeverFollowsALink) {
    ASSERT_EQ(0, createNamespace("NS1"));
    ASSERT_EQ(0, createFolder("/NS1/home"));
    const std::string folder = dir_ + "/backups";
    ASSERT_EQ(0, mkdir(folder.c_str(), 0755));
    auto backupTo = [&](const std::string &file) {
        return runProgram(TRVNS_NSSERVER, {"--database", server_->database(), "--backup", file});
    };

    // Over an existing world-readable copy: replaced by an owner-only one.
    const std::string copy = folder + "/copy.db";
    ASSERT_EQ(0, run("sqlite3 " + copy + " 'CREATE TABLE yesterday(x)'").status);
    ASSERT_EQ(0, chmod(copy.c_str(), 0644));
    RunResult replaced = backupTo(copy);
    ASSERT_EQ(0, replaced.status) << replaced.err;
    EXPECT_EQ(0600, modeOf(copy));
    RunResult content = run("sqlite3 " + copy + " 'PRAGMA integrity_check' 'SELECT name FROM namespaces' "
                            "'SELECT name FROM nodes WHERE parent_id IS NOT NULL' "
                            "\"SELECT COUNT(*) FROM sqlite_master WHERE name = 'yesterday'\"");
    EXPECT_EQ("ok\nNS1\nhome\n0\n", content.out) << content.err;
    EXPECT_EQ((std::set<std::string>{"copy.db"}), entriesOf(folder));

    // A link to another program's database: refused, the database untouched.
    const std::string other = dir_ + "/other.db";
    ASSERT_EQ(0, run("sqlite3 " + other + " 'CREATE TABLE t(x); INSERT INTO t VALUES(42)'").status);
    ASSERT_EQ(0, chmod(other.c_str(), 0644));
    const std::string before = readFile(other);
    const std::string link = folder + "/linked.db";
    ASSERT_EQ(0, symlink(other.c_str(), link.c_str()));
    RunResult linked = backupTo(link);
    EXPECT_EQ(1, linked.status);
    EXPECT_EQ("trvns-nsserver: will not back up to " + link + ": it is a symbolic link\n", linked.err);
    EXPECT_TRUE(before == readFile(other)) << "the linked database was written";
    EXPECT_EQ(0644, modeOf(other));
    struct stat st {};
    ASSERT_EQ(0, lstat(link.c_str(), &st));
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ((std::set<std::string>{"copy.db", "linked.db"}), entriesOf(folder));

    // A dangling link is refused as well, and makes no file where it points.
    const std::string dangling = folder + "/dangling.db";
    ASSERT_EQ(0, symlink((dir_ + "/nowhere.db").c_str(), dangling.c_str()));
    EXPECT_EQ(1, backupTo(dangling).status);
    EXPECT_NE(0, access((dir_ + "/nowhere.db").c_str(), F_OK));

    // The database itself is no place for its backup.
    RunResult itself = backupTo(server_->database());
    EXPECT_EQ(1, itself.status);
    EXPECT_TRUE(has(itself.err, ": it is the database itself")) << itself.err;
    EXPECT_EQ((Names{"home"}), names("/NS1"));
}

TEST_F(ServerTest, AFailedBackupLeavesNothingBehind) {
    ASSERT_EQ(0, createNamespace("NS1"));
    const std::string folder = dir_ + "/backups";
    ASSERT_EQ(0, mkdir(folder.c_str(), 0755));
    writeFile(folder + "/kept.db", "an older copy");
    struct Case {
        const char *what;
        std::string database, file;
        std::string message;
    };
    const Case cases[] = {
        {"missing folder", server_->database(), dir_ + "/missing/copy.db",
         "trvns-nsserver: cannot back up to " + dir_ + "/missing/copy.db: No such file or directory\n"},
        {"missing database", dir_ + "/none.db", folder + "/kept.db", "trvns-nsserver: cannot open database "},
        {"a folder in the way", server_->database(), folder, "trvns-nsserver: cannot back up to "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const std::set<std::string> before = entriesOf(dir_), inFolder = entriesOf(folder);
        RunResult result = runProgram(TRVNS_NSSERVER, {"--database", c.database, "--backup", c.file});
        EXPECT_EQ(1, result.status);
        EXPECT_EQ(0u, result.err.rfind(c.message, 0)) << result.err;
        EXPECT_EQ(before, entriesOf(dir_));
        EXPECT_EQ(inFolder, entriesOf(folder));
        EXPECT_EQ("an older copy", readFile(folder + "/kept.db"));
    }
}

}  // namespace
}  // namespace trvns_test
