// Every command that reaches the server, run under valgrind's memcheck:
// no memory error and no definite or indirect leak in program, library
// and plug-in.  (The sanitizer build checks the same with LeakSanitizer.)
#include <cstdlib>

#include "e2e_fixture.h"

namespace trvns_test {
namespace {

constexpr int kValgrindError = 99;

class UnderValgrind : public EndToEnd {};

TEST_F(UnderValgrind, EveryCommandIsLeakFree) {
#ifdef TRVNS_SANITIZE_BUILD
    GTEST_SKIP() << "memcheck does not run sanitized binaries";
#else
    if (system("command -v valgrind >/dev/null 2>&1") != 0) GTEST_SKIP() << "valgrind is not installed";
    GetJunctionTargetReply targets;
    targets.add_targets()->set_server("srv");
    server().setReply("GetJunctionTarget", targets);
    DirStatReply dir;
    dir.add_metadata()->set_name("sub");
    server().setReply("DirStat", dir);
    ObjStatReply obj;
    obj.add_metadata()->set_name("home");
    server().setReply("ObjStat", obj);
    ListAllReply all;
    all.set_totaljunctions(1);
    all.add_junctions()->set_junctionname("j1");
    server().setReply("ListAll", all);
    TrusteeListReply trustees;
    trustees.add_trustees()->set_name(".a.o.T.");
    server().setReply("TrusteeList", trustees);
    GetNamespacesReply namespaces;
    namespaces.add_namespaces()->set_name("NS1");
    server().setReply("GetNamespaces", namespaces);
    GetNSCifsAttrReply cifs;
    cifs.set_cifsattr("a");
    server().setReply("GetNSCifsAttr", cifs);

    const std::vector<std::vector<std::string>> commands = {
        {"create", "-n", "NS1"},
        {"create", "-d", "/TRVNS/NS1/home"},
        {"create", "-j", "-n", "j1", "-d", "/TRVNS/NS1/home", "-v", "VOL1"},
        {"gettarget", "-p", "/TRVNS/NS1/home/j1"},
        {"rename", "-o", "/TRVNS/NS1/home/j1", "-n", "j2"},
        {"move", "-s", "/TRVNS/NS1/home/j2", "-t", "/TRVNS/NS1"},
        {"delete", "-p", "/TRVNS/NS1/j2"},
        {"list", "-n"},
        {"deletenamespace", "-u", "0", "-n", "NS1"},
        {"salvagenamespace", "-u", "x", "-n", "NS1"},
        {"purge", "-n", "NS1"},
        {"objstat", "-p", "/TRVNS/NS1/home"},
        {"list", "-p", "/TRVNS/NS1/home", "-u", "velgarduser.context"},
        {"lj", "-n", "NS1", "-p", "1", "-s", "10"},
        {"list-junctions", "-p", "/TRVNS/NS1/home"},
        {"trustee", "-g", "-p", "/TRVNS/NS1/home", "-t", "velgarduser.context"},
        {"trustee-revoke", "-p", "/TRVNS/NS1/home", "-t", "cn=admin,o=org"},
        {"trustee-list", "-p", "/TRVNS/NS1/home"},
        {"get-cifs-attr", "-n", "NS1", "-u", "1"},
        {"set-cifs-attr", "-n", "NS1", "-u", "1", "-a", "b"},
        {"volume", "-a", "VOL1"},
        {"volume", "-m", "VOL1", "-n", "VOL2"},
        {"volume", "-r", "VOL2"},
    };
    for (const auto &command : commands) {
        std::vector<std::string> args = {"--leak-check=full", "--errors-for-leak-kinds=definite,indirect",
                                         "--error-exitcode=99", "--quiet", QTRVNS_MGMT};
        args.insert(args.end(), command.begin(), command.end());
        RunResult result = runProgram("/usr/bin/valgrind", args, "yes\n");
        EXPECT_NE(kValgrindError, result.status) << command[0] << "\n" << result.err;
        EXPECT_EQ(std::string::npos, result.err.find("definitely lost")) << command[0] << "\n" << result.err;
    }
    EXPECT_EQ(22u, server().requests().size());  // list-junctions sends nothing
#endif
}

}  // namespace
}  // namespace trvns_test
