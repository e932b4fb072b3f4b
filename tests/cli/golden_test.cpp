// Golden tests of qtrvns-mgmt: argv (and stdin) against the exact stdout,
// stderr and exit status.  No plug-in is installed, so a command that gets
// past its checks ends at connect with -12 (exit status 244).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_files.h"

namespace trvns_test {
namespace {

struct GoldenCase {
    std::vector<std::string> args;
    const char *input;  // stdin; null closes it
    std::string out;    // "text@name": the text, then the golden file golden/name.txt
    std::string err;
    int status;
};

constexpr int kNoPlugin = 244;  // -12 as an exit status
const std::string kNoPluginConnect = "serverConnect failed with retCode :-12 \n";

std::string expand(const std::string &expected) {
    size_t at = expected.find('@');
    if (at == std::string::npos) return expected;
    return expected.substr(0, at) + readFile(std::string(GOLDEN_DIR) + "/" + expected.substr(at + 1) + ".txt");
}

std::string describe(const std::vector<std::string> &args) {
    std::string text = "qtrvns-mgmt";
    for (const std::string &arg : args) text += " '" + arg + "'";
    return text;
}

void check(const std::vector<GoldenCase> &cases) {
    for (const GoldenCase &c : cases) {
        RunResult result = runProgram(QTRVNS_MGMT, c.args, c.input);
        SCOPED_TRACE(describe(c.args));
        EXPECT_EQ(expand(c.out), result.out);
        EXPECT_EQ(c.err, result.err);
        EXPECT_EQ(c.status, result.status);
    }
}

const std::string kUnknownOption = "Error: Unknown option.\n";
const std::string kUnexpected = "Error: Unexpected arguments detected.\n";

class Golden : public ::testing::Test {
protected:
    void SetUp() override {
        removeFile(kClientConfig);
        writeFile(kTreeConfig, "x7q.base.tree-name = MY_TREE\n");
    }
};

TEST_F(Golden, DispatchAndGroupOptions) {
    check({
        {{}, "", "@main_usage", "", 1},
        {{"-h"}, "", "@main_usage", "", 0},
        {{"--help"}, "", "@main_usage", "", 0},
        {{"OBJSTAT"}, "", "@main_usage", "Error: Unknown command 'OBJSTAT'.\n", 1},
        {{"Delete", "-p", "/TRVNS/x"}, "", "@main_usage", "Error: Unknown command 'Delete'.\n", 1},
        {{"list"}, "", "@list_group", "Error: Insufficient number of options.\n", 1},
        {{"list", "-x"}, "", "@list_group", "", 1},
        {{"list", "--path=/TRVNS/NS1/home"}, "", "@list_group", "", 1},
        {{"list", "-h"}, "", "@list_group", "", 0},
        {{"list", "--help", "-p", "x"}, "", "@list_group", "", 0},
        {{"create"}, "", "@create_group", "Error: Insufficient number of options.\n", 1},
        {{"create", "-x"}, "", "@create_group", "Error: Invalid option passed in.\n", 1},
        {{"create", "--help"}, "", "@create_group", "", 0},
        {{"trustee"}, "", "@trustee_group", "Error: Insufficient number of options.\n", 1},
        {{"trustee", "-x"}, "", "@trustee_group", "Error: Unsupported option for this command.\n", 1},
        {{"trustee", "-h"}, "", "@trustee_group", "", 0},
        {{"volume"}, "", "", "Error: Insufficient number of options.\n", 1},
        {{"volume", "-x"}, "", "", "Error: Unsupported option for this command.\n", 1},
        {{"volume", "--help"}, "", "", "Error: Unsupported option for this command.\n", 1},
        {{"purge"}, "", "@purge_group", "", 1},
        {{"purge", "-x"}, "", "@purge_group", "", 1},
        {{"purge", "-h"}, "", "@purge_group", "", 1},
        {{"LJ", "-n", "NS1"}, "", kNoPluginConnect, "", kNoPlugin},
        {{"ListJunctions", "-n", "NS1"}, "", kNoPluginConnect, "", kNoPlugin},
    });
}

TEST_F(Golden, CommandUsages) {
    check({
        {{"objstat", "-h"}, "", "@objstat", "", 0},
        {{"objstat", "--help"}, "", "@objstat", "", 0},
        {{"list", "-p", "/TRVNS/NS1", "-h"}, "", "@list_directory", "", 0},
        {{"lj", "-h"}, "", "@junction_listing", "", 0},
        {{"listJunctions", "-h", "-n", "NS1"}, "", "@junction_listing", "", 0},
        {{"list-junctions", "-h"}, "", "Usage: list-junctions --path <directoryPath> [--json|--xml|--text]\n", "", 0},
        {{"create", "-d", "/TRVNS/NS1/x", "-h"}, "", "@create_directory", "", 0},
        {{"create", "-j", "-h"}, "", "@create_junction", "", 0},
        {{"create", "-n", "NS1", "-h"}, "", "@create_namespace", "", 0},
        {{"delete", "-h"}, "", "@delete", "", 0},
        {{"rename", "--help"}, "", "@rename", "", 0},
        {{"move", "-h"}, "", "@move", "", 0},
        {{"gettarget", "-h"}, "", "@gettarget", "", 0},
        {{"trustee", "-g", "-h"}, "", "@grant", "", 0},
        {{"trustee-grant", "--help"}, "", "@grant", "", 0},
        {{"trustee", "--revoke", "-h"}, "", "@revoke", "", 0},
        {{"trustee-list", "-h"}, "", "Usage: trustee-list --path <path> [--json|--xml|--text]\n", "", 0},
        {{"deletenamespace", "-h"}, "", "Usage: deletenamespace --uid <uid> --name <name> [--json|--xml|--text]\n",
         "", 0},
        {{"salvagenamespace", "--help"}, "",
         "Usage: salvagenamespace --uid <uid> --name <name> [--json|--xml|--text]\n", "", 0},
        {{"purge", "-n", "NS1", "-h"}, "", "@purge", "", 0},
        {{"get-cifs-attr", "-h"}, "",
         "Usage: get-cifs-attr --namespace <namespace> --user <user>  [--json|--xml|--text]\n", "", 0},
        {{"set-cifs-attr", "--help"}, "",
         "Usage: set-cifs-attr --namespace <namespace> --user <user>  --attr <attr>  [--json|--xml|--text]\n", "", 0},
        {{"volume", "-a", "VOL1", "-h"}, "", "@volume_add", "", 0},
        {{"volume", "--modify", "VOL1", "-h"}, "", "@volume_modify", "", 0},
        {{"volume", "-r", "VOL1", "--help"}, "", "@volume_remove", "", 0},
    });
}

TEST_F(Golden, FolderAndJunctionCreation) {
    const std::vector<std::string> junction = {"create", "-j", "-n", "j1", "-d", "/TRVNS/ns1/home", "-v", "VOL1"};
    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = junction;
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    };
    check({
        {{"create", "-d", "   "}, "", "", "Error: Invalid directory name given.\n", 1},
        {{"create", "-d"}, "", "@create_directory", "Error: Argument not provided for -d|--directory option.\n", 1},
        {{"create", "-d", "/TRVNS/NS1/home", "extra"}, "", "@create_directory", kUnexpected, 1},
        {{"create", "-d", "/TRVNS/a", "-d", "/TRVNS/b"}, "", "", "Error: Duplicate --directory option.\n", 1},
        {{"create", "--directory", "/TRVNS/NS1/home"}, "",
         "Unable to connect to the TRV Name Space service. Error Code  :-12 \n", "", kNoPlugin},
        {{"create", "-j", "-n", "j1", "-d", "/TRVNS/ns1/home"}, "", "@create_junction",
         "Error: All mandatory options are required.\n", 1},
        {{"create", "-j", "-n", "  ", "-d", "/d", "-v", "V"}, "", "", "Error: Invalid junction name given.\n", 1},
        {{"create", "-j", "-n", "j1", "-d", "/d", "-v", "\t"}, "", "", "Error: Invalid volume name given.\n", 1},
        {with({"-t", "dir1"}), "", "", "Error: targetPath must start with '/'. \n", 1},
        {with({"-T", "non-yar"}), "", "", "Error: NON-YAR target type requires server name.\n", 1},
        {with({"-s", "  "}), "", "", "Error: Invalid target server given.\n", 1},
        {with({"-n", "j2"}), "", "", "Error: Duplicate --name option.\n", 1},
        {with({"-T", "YAR", "-T", "x"}), "", "", "Error: Duplicate --target-type option.\n", 1},
        {with({"extra"}), "", "@create_junction", kUnexpected, 1},
        {{"create", "-j", "--help"}, "", "@create_junction", kUnknownOption, 1},
        {{"create", "-j", "-n"}, "", "@create_junction", kUnknownOption, 1},
        {junction, "", kNoPluginConnect, "", kNoPlugin},
        {with({"-T", "non-yar", "-s", "yarServer", "-t", "/dir1"}), "", kNoPluginConnect, "", kNoPlugin},
    });
}

TEST_F(Golden, ObjectCommands) {
    const std::string longPath = "/TRVNS/" + std::string(4090 - 7, 'a');
    check({
        {{"delete", "-x"}, "", "@delete", "Error: Unknown option passed in.\n", 1},
        {{"delete", "-p"}, "", "@delete", "Error: Unknown option passed in.\n", 1},
        {{"delete"}, "", "@delete", "Error: --path is required.\n", 1},
        {{"delete", "-p", "/TRVNS/a", "-p", "/TRVNS/b"}, "", "", "Error: Duplicate --path option.\n", 1},
        {{"delete", "-p", "/TRVNS/a", "extra"}, "", "@delete", kUnexpected, 1},
        {{"delete", "-p", longPath + "a"}, "", "", "Error: Invalid path passed in.\n", 1},
        {{"delete", "-p", longPath}, "", "", "", kNoPlugin},
        {{"rename", "-o", "/TRVNS/NS1/home/dir1"}, "", "@rename",
         "Error: Arguments required for -o|--oldname and -n|--newname options.\n", 1},
        {{"rename"}, "", "@rename", "", 1},
        {{"rename", "-o", "A", "-n", "B", "extra"}, "", "@rename", kUnexpected, 1},
        {{"rename", "-o", "/TRVNS/NS1/home/dir1", "-n"}, "", "@rename",
         "Error: Requires an argument but is not provided.\n", 1},
        {{"rename", "-x"}, "", "@rename", "Error: Unsupported option passed.\n", 1},
        {{"rename", "-o", "a", "-o", "b"}, "", "", "Error: Duplicate --oldname option.\n", 1},
        {{"rename", "-o", " ", "-n", "b"}, "", "", "Error: Invalid source given.\n", 1},
        {{"rename", "-o", "/TRVNS/a", "-n", "\n"}, "", "", "Error: Invalid destination given.\n", 1},
        {{"rename", "-o", "/TRVNS/a", "-n", "b"}, "", "", "", kNoPlugin},
        {{"move", "-s", "A", "-s", "B"}, "", "", "Error: Duplicate --move-source option.\n", 1},
        {{"move", "-t", "A", "--dest-folder", "B"}, "", "", "Error: Duplicate --move-target option.\n", 1},
        {{"move", "-s", "A"}, "", "@move", "Error: --obj-to-move and --dest-folder are required.\n", 1},
        {{"move", "-s", "A", "-t", " "}, "", "", "Error: Invalid target given.\n", 1},
        {{"move", "-s", "", "-t", "B"}, "", "", "Error: Invalid source given.\n", 1},
        {{"move", "-x"}, "", "@move", kUnknownOption, 1},
        {{"move", "-s", "A", "-t", "B", "C"}, "", "@move", kUnexpected, 1},
        {{"gettarget", "-x"}, "", "@gettarget", "Error: Argument not provided for -p|--path option.\n", 1},
        {{"gettarget", "-p", "P", "-x"}, "", "@gettarget", kUnknownOption, 1},
        {{"gettarget"}, "", "@gettarget", "Error: --path is required.\n", 1},
        {{"gettarget", "-p", "P", "-p", "Q"}, "", "", "Error: Duplicate --path option.\n", 1},
        {{"gettarget", "-p", "/TRVNS/NS1/home/j1"}, "", "", "", kNoPlugin},
    });
}

TEST_F(Golden, NamespaceCommands) {
    const std::string name31(31, 'n'), name32(32, 'n');
    const std::string note = " NOTE: This operation will delete the namespace data permanently.\n"
                             " Do you still want to proceed with purge operation?(yes/no)";
    check({
        {{"create", "-n", "a"}, "", "", "Error: Length of the  Namespace name is not within the permissible limits.\n",
         22},
        {{"create", "-n", name32}, "", "",
         "Error: Length of the  Namespace name is not within the permissible limits.\n", 22},
        {{"create", "-n", "ab"}, "", kNoPluginConnect, "", kNoPlugin},
        {{"createnamespace", "-n", name31}, "", kNoPluginConnect, "", kNoPlugin},
        {{"create", "-n", "my-ns"}, "", "", "Error: Namespace name contains invalid characters.\n", 22},
        {{"create", "-n", "ns\xc3\xa9"}, "", "", "Error: Namespace name contains invalid characters.\n", 22},
        {{"create", "-n", "NS(1)&_x"}, "", kNoPluginConnect, "", kNoPlugin},
        {{"create", "-n", "NS1", "-n", "NS2"}, "", "", "Error: Duplicate --name option.\n", 1},
        {{"create", "-n", "NS1", "extra"}, "", "@create_namespace", kUnexpected, 22},
        {{"createnamespace", "NS1"}, "", "@create_namespace", kUnexpected, 22},
        {{"createnamespace"}, "", "@create_namespace", "Error: All mandatory options are required.\n", 22},
        {{"create", "-n"}, "", "@create_namespace", "Error:Argument not provided for -n|--namespace option..\n", 1},
        {{"deletenamespace", "-u", "0", "-n", "NS1", "--json", "--xml"}, "", "",
         "Error: Multiple output formats specified.\n", 1},
        {{"deletenamespace", "-u", "0", "-u", "1"}, "", "", "Error: Duplicate --uid option.\n", 1},
        {{"salvagenamespace", "-n", "NS1"}, "",
         "Usage: salvagenamespace --uid <uid> --name <name> [--json|--xml|--text]\n",
         "Error: All mandatory options are required.\n", 1},
        {{"deletenamespace", "-u", "1", "-n", "NS1", "x"}, "",
         "Usage: deletenamespace --uid <uid> --name <name> [--json|--xml|--text]\n", kUnexpected, 1},
        {{"deletenamespace", "-x"}, "", "Usage: deletenamespace --uid <uid> --name <name> [--json|--xml|--text]\n",
         kUnknownOption, 1},
        {{"deletenamespace", "-u", "abc", "-n", "NS1", "--xml"}, "",
         "DeleteNamespaceHandler called.\nuid: abc\nName: NS1\nOutput format: xml\n" + kNoPluginConnect, "",
         kNoPlugin},
        {{"purge", "-n", "NS1"}, "no\n", note + " Aborting the operation...\n", "", 1},
        {{"purge", "-n", "NS1"}, "No\n", note + " Aborting the operation...\n", "", 1},
        {{"purge", "-n", "NS1"}, "y\n", note + " Please provide a valid input\n", "", 1},
        {{"purge", "-n", "NS1"}, "yes please\n", note + " Please provide a valid input\n", "", 1},
        {{"purge", "-n", "NS1"}, nullptr, note + " Error reading the input. Aborting the operation.\n", "", 1},
        {{"purge", "-n", "NS1"}, "", note + " Error reading the input. Aborting the operation.\n", "", 1},
        {{"purge", "-n", "NS1"}, "YES\n", note + " Continuing with the operation...\n", "", kNoPlugin},
        {{"purgenamespace", "-n", "NS1"}, "yes", note + " Continuing with the operation...\n", "", kNoPlugin},
        {{"purge", "-n"}, "", "@purge", "Error: Requires an argument but is not provided.\n", 1},
        {{"purge", "-n", "NS1", "-n", "x"}, "", "", "Error: Duplicate --name option.\n", 1},
        {{"purge", "--namespace", "NS1", "extra"}, "", "@purge", kUnexpected, 1},
        {{"purge", "-n", "NS1", "-x"}, "", "@purge", kUnknownOption, 1},
        {{"purgenamespace"}, "", "@purge", "", 1},
        {{"list-namespaces", "anything", "-x"}, "", kNoPluginConnect, "", kNoPlugin},
        {{"list", "-n"}, "", kNoPluginConnect, "", kNoPlugin},
    });
}

TEST_F(Golden, ListingCommands) {
    const std::string listUsage = "@junction_listing";
    check({
        {{"objstat", "--path", "/TRVNS/NS1/home", "--json", "--json"}, "", "",
         "Error: Multiple output formats specified.\n", 1},
        {{"objstat"}, "", "@objstat", "Error: --path is required.\n", 1},
        {{"objstat", "-x"}, "", "@objstat", kUnknownOption, 1},
        {{"objstat", "-p"}, "", "@objstat", kUnknownOption, 1},
        {{"objstat", "-p", "a", "b"}, "", "@objstat", kUnexpected, 1},
        {{"objstat", "-p", "/TRVNS/NS1/home", "--xml"}, "",
         "ObjStatHandler called.\nPath: /TRVNS/NS1/home\nOutput format: xml\n", "", kNoPlugin},
        {{"list", "-p"}, "", "",
         "Error: Argument not provided for --path | -p.\nError: Argument not provided for --user | -u.\n", 1},
        {{"list", "-p", "P", "-x"}, "", "", "Error: Argument not provided for --user | -u.\n", 1},
        {{"list", "-p", "P", "-u", "U", "-x"}, "", "", "", 1},
        {{"list", "-u", "bob"}, "", "@list_directory", "Error: --path | -p  is required.\n", 1},
        {{"list", "-p", "P", "-p", "Q"}, "", "", "Error: Duplicate --path option.\n", 1},
        {{"list", "-u", "a", "--user", "b"}, "", "", "Error: Duplicate --user option.\n", 1},
        {{"list", "-p", "P", "extra"}, "", "@list_directory", kUnexpected, 1},
        {{"list", "-p", "/TRVNS/NS1", "-u", "U", "-h"}, "", "", "", kNoPlugin},
        {{"lj", "-n", "NS1", "--pagenum", "2"}, "", "",
         "Error: Invalid --pagenum option usage. Use for Eg:  --pagenum=1\n", 1},
        {{"lj", "-n", "NS1", "--pagesize"}, "", "",
         "Error: Invalid --pagesize option usage. Use for Eg:  --pagesize=10\n", 1},
        {{"lj", "-n", "NS1", "-p", "abc"}, "", "", "Error: Non digit value passed in for --pagenum/-p option.\n", 1},
        {{"lj", "-n", "NS1", "-s", "x1"}, "", "", "Error: Non digit value passed in for --pagesize/-s option.\n", 1},
        {{"lj", "-n", "NS1", "-p", "-1"}, "", "", "Error: Invalid value passed in for --pagenum/-p option.\n", 1},
        {{"lj", "-n", "NS1", "-p", "2147483647"}, "", "", "Error: Invalid value passed in for --pagenum/-p option.\n",
         1},
        {{"lj", "-n", "NS1", "--pagesize=99999999999999999999"}, "", "",
         "Error: Invalid value passed in for --pagesize/-s option.\n", 1},
        {{"lj", "-n", "NS1", "-p", "2147483646"}, "", kNoPluginConnect, "", kNoPlugin},
        {{"lj", "-n", "NS1", "-p", "12abc", "--pagesize=0"}, "", kNoPluginConnect, "", kNoPlugin},
        {{"lj", "-n", "NS1", "-p"}, "", "Argument missing for --pagenum or -p option.\n" + listUsage, "", 1},
        {{"lj", "-s"}, "", "Argument missing for --pagesize or -s option.\n" + listUsage, "", 1},
        {{"lj", "-n"}, "", "Argument missing for --namespace or -n option.\n" + listUsage, "", 1},
        {{"lj", "-x"}, "", "Unknown option supplied.\n" + listUsage, "", 1},
        {{"lj"}, "", listUsage, "Error: --namespace | -n  is required.\n", 1},
        {{"lj", "-n", "NS1", "x"}, "", listUsage, kUnexpected, 1},
        {{"lj", "-n", "A", "-n", "B"}, "", "", "Error: Duplicate --namespace option.\n", 1},
        {{"lj", "-n", "A", "-p", "1", "-p", "2"}, "", "", "Error: Duplicate --pagenum option.\n", 1},
        {{"lj", "-n", "A", "-s", "1", "--pagesize=2"}, "", "", "Error: Duplicate --pagesize option.\n", 1},
        {{"lj", "-n", "NS1", "-h"}, "", kNoPluginConnect, "", kNoPlugin},
        {{"list-junctions", "-p", "P", "--json", "--xml"}, "", "", "Error: Multiple output formats specified.\n", 1},
        {{"list-junctions"}, "", "Usage: list-junctions --path <directoryPath> [--json|--xml|--text]\n",
         "Error: --path is required.\n", 1},
        {{"list-junctions", "-p", "/TRVNS/NS1/home"}, "",
         "ListJunctionsHandler called.\nDirectory Path: /TRVNS/NS1/home\nOutput format: text\n" + kNoPluginConnect,
         "", kNoPlugin},
    });
}

TEST_F(Golden, TrusteeCommands) {
    const std::string bothMissing =
        "Error: Argument not provided for -p|--path option..\nError: Argument not provided for -t|--trustee option. | -u.\n";
    check({
        {{"trustee", "-g", "-x"}, "", "@grant", bothMissing, 1},
        {{"trustee-grant", "-x"}, "", "@grant", bothMissing, 1},
        {{"trustee", "-g", "-p", "P", "-x"}, "", "@grant",
         "Error: Argument not provided for -t|--trustee option. | -u.\n", 1},
        {{"trustee", "-r", "-p", "P", "-t", "T", "-D"}, "", "@revoke", kUnknownOption, 1},
        {{"trustee-grant", "-p", "P"}, "", "@grant", "Error: --path and --trustee are required.\n", 1},
        {{"trustee", "-g", "-p", "P", "-t", "T", "-t", "U"}, "", "", "Error: Duplicate --trustee option.\n", 1},
        {{"trustee", "-r", "-p", "P", "--path", "Q"}, "", "", "Error: Duplicate --path option.\n", 1},
        {{"trustee", "-g", "-p", "P", "-t", "T", "x"}, "", "@grant", kUnexpected, 1},
        {{"trustee", "-g", "-p", "/TRVNS/NS1/home", "-t", "velgarduser.context"}, "", "", "", kNoPlugin},
        {{"trustee-list", "-p", "P", "--json", "--xml"}, "", "", "Error: Multiple output formats specified.\n", 1},
        {{"trustee-list", "-x"}, "", "Usage: trustee-list --path <path> [--json|--xml|--text]\n", kUnknownOption, 1},
        {{"trustee-list", "-p", "P", "--json"}, "",
         "TrusteeListHandler called.\nPath: P\nOutput format: json\n" + kNoPluginConnect, "", kNoPlugin},
    });
}

TEST_F(Golden, CifsAttributeCommands) {
    const std::string getUsage = "Usage: get-cifs-attr --namespace <namespace> --user <user>  [--json|--xml|--text]\n";
    const std::string setUsage =
        "Usage: set-cifs-attr --namespace <namespace> --user <user>  --attr <attr>  [--json|--xml|--text]\n";
    check({
        {{"get-cifs-attr", "-n", "NS1", "-u", "12x"}, "", "", "Invalid UID value: 12x\n", 1},
        {{"get-cifs-attr", "-u", "12x"}, "", "", "Invalid UID value: 12x\n", 1},
        {{"get-cifs-attr", "-u", "7"}, "", "Parsed UID: 7\n" + getUsage, "Error: --namespace is required.\n", 1},
        {{"get-cifs-attr", "-n", "NS1"}, "", getUsage, "Error: --uid is required.\n", 1},
        {{"get-cifs-attr", "-n", "NS1", "-n", "NS2"}, "", "", "Error: Duplicate --namespace option.\n", 1},
        {{"get-cifs-attr", "-n", "NS1", "-u", "1", "-u", "2"}, "", "Parsed UID: 1\n", "Error: Duplicate --uid option.\n",
         1},
        {{"get-cifs-attr", "-n", "NS1", "-u", "1", "extra"}, "", "Parsed UID: 1\n" + getUsage, kUnexpected, 1},
        {{"set-cifs-attr", "-n", "NS1", "-u", "7"}, "", setUsage, "Error: --attr is required.\n", 1},
        {{"set-cifs-attr", "-n", "NS1", "-u", "7", "-a", "X", "--xml", "--text"}, "", "",
         "Error: Multiple output formats specified.\n", 1},
        {{"set-cifs-attr", "-n", "NS1", "-u", "7", "-a", "X", "-a", "Y"}, "", "", "Error: Duplicate --attr option.\n", 1},
        {{"get-cifs-attr", "-n", "NS1", "-u", "7"}, "",
         "Parsed UID: 7\nGetCifsAttrHandler called.\nnamespace: NS1\nuid: 7\nOutput format: text\n" +
             kNoPluginConnect,
         "", kNoPlugin},
        {{"set-cifs-attr", "-n", "NS1", "-u", "99999999999999999999999", "-a", "X", "--json"}, "",
         "SetCifsAttrHandler called.\nnamespace: NS1\nuid: -1\nOutput format: json\n" + kNoPluginConnect, "",
         kNoPlugin},
    });
}

TEST_F(Golden, VolumeCommands) {
    check({
        {{"volume", "-a", "VOL1", "-t", "non-yar"}, "", "", "Error: NON-YAR target requires server name.\n", 1},
        {{"volume", "-a", "VOL1", "-t", "yar", "-s", " "}, "", "", "Error: Invalid servername is provided.\n", 1},
        {{"volume", "-a", "   "}, "", "", "Error: Invalid volume name is given.\n", 1},
        {{"volume", "-m", "VOL1"}, "", "@volume_modify", "Error: --new-name is required.\n", 1},
        {{"volume", "-m", " ", "-n", "x"}, "", "", "Error: Invalid old volume name is given.\n", 1},
        {{"volume", "-m", "a", "-n", "\t"}, "", "", "Error: Invalid new volume name is given.\n", 1},
        {{"volume", "-r"}, "", "@volume_remove", kUnknownOption, 1},
        {{"volume", "-a", "VOL1", "extra"}, "", "@volume_add", kUnexpected, 1},
        {{"volume", "-a", "VOL1", "-x"}, "", "@volume_add", kUnknownOption, 1},
        {{"volume", "-a", "VOL1"}, "", kNoPluginConnect, "", kNoPlugin},
        {{"volume", "-a", "VOL1", "-a", "VOL2"}, "", kNoPluginConnect, "", kNoPlugin},
        {{"volume", "-r", "   "}, "", kNoPluginConnect, "", kNoPlugin},
    });
}

}  // namespace
}  // namespace trvns_test
