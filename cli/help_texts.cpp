#include "help_texts.h"

#include <cstdio>

// The example server given as a fully qualified host name, in every text
// that shows one.
#define EXAMPLE_FQDN "yarServer.example.com"

namespace cli::help {
namespace {

template <size_t N>
void print(const char *const (&lines)[N]) {
    for (const char *line : lines) puts(line);
}

#define INDENT34 "                                  "

const char *const kMainUsage[] = {
    "\nUsage: qtrvns-mgmt <command> [options]\n",
    "Commands:",
    "    create      Create a Namespace/Directory/Junction.",
    "    delete      Delete a Directory/Junction.",
    "    purge       Delete a Namespace permanently.",
    "    rename      Rename a Directory/Junction.",
    "    move        Move a Directory/Junction from one Directory to other.",
    "    list        List Namespaces or the contents of a Directory.",
    "    trustee     Add/Delete a user as a trustee of a Directory/Junction.",
    "    gettarget   Display the target path a Junction is pointing to.",
    "    volume      Add/Modify/Remove a target volume.\n",
    "List of commands (With options and arguments):",
    "Use \"qtrvns-mgmt <command> -h\" for more details about each command.\n",
    "CREATE",
    "  Create a namespace         :  create -n <name>",
    "                                  -n --namespace        Name of the namespace to be created.",
    "\n                                Examples:",
    "                                  qtrvns-mgmt create -n NS1",
    "                                  qtrvns-mgmt create -n ns2\n",
    "  Create a directory         :  create -d <name>",
    "                                  -d --directory        Name of the directory to be created in a namespace.",
    "                                                        Directory name should include entire path starting from \"/TRVNS/<namespace>\".",
    "\n                                Examples:",
    "                                  qtrvns-mgmt create -d /TRVNS/NS1/home",
    "                                  qtrvns-mgmt create -d /TRVNS/NS1/home/dir1\n",
    "  Create a junction          :  create -j -n <name> -d <directory> -v <volume> [-s <server>] [-t <path>] [-T <type>]",
    "                                  -j --junction         Creates a junction.",
    "                                  -n --name             Name of the junction to be created.",
    "                                  -d --directory        Full directory path where junction needs to be created.",
    "                                  -v --target-volume    Name of the target volume/share.",
    "                                  -s --target-server    Name of the target server. This is optional for YAR servers.",
    "                                                        For YAR, it can be either hostname or FQDN or IP address.",
    "                                  -t --target-path      Name of the target path. If not given, junction points to the root of the volume/share.",
    "                                  -T --target-type      Target type should be YAR or NON-YAR. If not given, default is YAR.",
    "\n                                Examples:",
    "                                  qtrvns-mgmt create -j -n j1 -d /TRVNS/ns1/home -v VOL1 -s yarServer -t /dir1",
    INDENT34 "qtrvns-mgmt create -j -n j1 -d /TRVNS/ns1/home -v VOL1 -s " EXAMPLE_FQDN " -T YAR",
    "                                  qtrvns-mgmt create -j -n j1 -d /TRVNS/ns1/home/dir1 -v VOL1 -s .yarServer.org.tree.",
    "                                  qtrvns-mgmt create -j -n j1 -d /TRVNS/ns1/home/dir1 -v VOL1 -s 10.0.0.0",
    "                                  qtrvns-mgmt create -j -n j1 -d /TRVNS/ns1/home -v Share1 -s nonYarServer -t /dir1 -T NON-YAR\n",
    "DELETE",
    "  Delete a directory         :  delete -p <path>",
    "                                  -p --path             Directory path to be deleted.",
    "\n                                Examples:\n",
    "                                  qtrvns-mgmt delete -p /TRVNS/NS1/home\n",
    "  Delete a junction          :  delete -p <path>",
    "                                  -p --path             Junction path to be deleted.",
    "\n                                Examples:",
    "                                  qtrvns-mgmt delete -p /TRVNS/NS1/home/j1\n",
    "PURGE",
    "  Purge a namespace          :  purge -n <name>",
    "                                  -n --namespace        Namespace to be deleted permanently.",
    "\n                                Examples:",
    "                                  qtrvns-mgmt purge -n NS1",
    "                                  qtrvns-mgmt purge -n ns1\n",
    "RENAME",
    "  Rename a directory         :  rename -o <path> -n <new name>",
    "                                  -o --oldname          Old name of the directory with full path.",
    "                                  -n --newname          New name of the directory.",
    "\n                                Examples:",
    "                                  qtrvns-mgmt rename -o /TRVNS/NS1/home/dir1 -n dir2\n",
    "  Rename a junction          :  rename -o <path> -n <new name>",
    "                                  -o --oldname          Old name of the junction with full path.",
    "                                  -n --newname          New name of the junction.",
    "\n                                Examples:",
    "                                  qtrvns-mgmt rename -o /TRVNS/NS1/home/dir1/j1 -n j2\n",
    "MOVE",
    "  Move a directory           :  move -s <source> -t <target>",
    "                                  -s --obj-to-move      Source path of the directory.",
    "                                  -t --dest-folder      Destination path.",
    "\n                                Examples:",
    "                                  qtrvns-mgmt move -s /TRVNS/NS1/home/dir1 -t /TRVNS/NS1/project\n",
    "  Move a junction            :  move -s <source> -t <target>",
    "                                  -s --obj-to-move      Source path of the junction.",
    "                                  -t --dest-folder      Destination path.",
    "\n                                Examples:",
    "                                  qtrvns-mgmt move -s /TRVNS/NS1/home/dir1/j1 -t /TRVNS/NS1/project\n",
    "LIST",
    "  List a directory           :  list -p <path> [-u <username>]",
    "                                  -p --path             Path of the directory.",
    "                                  -u --user             User FQDN.",
    "\n                                Examples:",
    "                                  qtrvns-mgmt list -p /TRVNS/NS1/home",
    "                                  qtrvns-mgmt list -p /TRVNS/NS1/home/dir1",
    "                                  qtrvns-mgmt list -p /TRVNS/NS1/home -u .velgarduser.context.TREE.",
    "                                  qtrvns-mgmt list -p /TRVNS/NS1/home -u velgarduser.context",
    "                                  qtrvns-mgmt list -p /TRVNS/NS1/home -u ADDOMAIN\\\\aduser\n",
    "  List all namespaces        :  list -n",
    "                                  -n --namespaces       Lists namespaces.",
    "\n                                Examples:",
    "                                  qtrvns-mgmt list -n\n",
    "  List all junctions         :  listJunctions -n <namespace> -p <page num> -s <page size>",
    "                                lj -n <namespace> -p <page num> -s <page size>",
    "\n                                Usage:",
    "                                  qtrvns-mgmt lj [OPTIONS]",
    "                                  qtrvns-mgmt listJunctions [OPTIONS]",
    "\n                                Options:",
    "                                  -n, --namespace <name>     Namespace name (required)",
    "                                  -p, --pagenum   <number>   Page number of the paginated output (optional)",
    "                                  -s, --pagesize  <number>   Number of entries per page (optional)",
    "\n                                Examples:",
    "                                  qtrvns-mgmt listJunctions -n NS1",
    "                                  qtrvns-mgmt listJunctions -n NS1 -p 2 -s 20",
    "                                  qtrvns-mgmt lj -n NS1 -p 1 -s 10",
    "                                  qtrvns-mgmt listJunctions --namespace NS1 --pagenum=1 --pagesize=10",
    "GETTARGET",
    "  Get target of a junction   :  gettarget -p <path>",
    "                                  -p --path             Path of the junction to get the target it is pointing to.",
    "\n                                Examples:",
    "                                  qtrvns-mgmt gettarget -p /TRVNS/NS1/home/j1",
    "                                  qtrvns-mgmt gettarget -p /TRVNS/NS1/home/dir1/j1\n",
    "TRUSTEE",
    "  Grant trustee              :  trustee -g -p <path> -t <username>",
    "                                  -g --grant            Grant trustee rights.",
    "                                  -p --path             Path to the directory/junction in a namespace.",
    "                                  -t --trustee          Trustee FQDN.",
    "\n                                Examples:",
    "                                  qtrvns-mgmt trustee -g -p /TRVNS/NS1/home -t .velgarduser.context.TREE.",
    "                                  qtrvns-mgmt trustee -g -p /TRVNS/NS1/home/j1 -t velgarduser.context",
    "                                  qtrvns-mgmt trustee -g -p /TRVNS/NS1/home -t ADDOMAIN\\\\aduser",
    "                                  qtrvns-mgmt trustee -g -p /TRVNS/NS1/home/j1 -t ADDOMAIN\\\\aduser\n",
    "  Revoke trustee             :  trustee -r -p <path> -t <username>",
    "                                  -r --revoke           Revoke trustee rights.",
    "                                  -p --path             Path to the directory/junction in a namespace.",
    "                                  -t --trustee          Trustee FQDN.",
    "\n                                Examples:",
    "                                  qtrvns-mgmt trustee -r -p /TRVNS/NS1/home -t velgarduser.context",
    "                                  qtrvns-mgmt trustee -r -p /TRVNS/NS1/home/j1 -t .velgarduser.context.TREE.",
    "                                  qtrvns-mgmt trustee -r -p /TRVNS/NS1/home -t ADDOMAIN\\\\aduser",
    "                                  qtrvns-mgmt trustee -r -p /TRVNS/NS1/home/j1 -t ADDOMAIN\\\\aduser\n",
    "VOLUME",
    "  Add a target volume        :  volume -a <volume> [-s <server>] [-t <type>] [-n <namespace>]",
    "                                  -a --add              Volume/share name to be added.",
    "                                  -s --server           Server name. This is optional for YAR servers.",
    "                                                        For YAR, it can be either hostname or FQDN or IP address.",
    "                                  -t --type             Type of the server YAR or NON-YAR. If not given, default is YAR.",
    "                                  -n --namespace        Namespace where volume/share needs to be added.",
    "                                                        If not given, it adds to all the available namesapces.",
    "\n                                Examples:",
    "                                  qtrvns-mgmt volume -a VOL1",
    "                                  qtrvns-mgmt volume -a VOL1 -s yarServer",
    INDENT34 "qtrvns-mgmt volume -a VOL1 -s " EXAMPLE_FQDN,
    "                                  qtrvns-mgmt volume -a VOL1 -s .yarSerer.org.tree. -t YAR",
    "                                  qtrvns-mgmt volume -a VOL1 -s 10.0.0.0 -n NS1",
    "                                  qtrvns-mgmt volume -a VOL1 -s nonYarServer -t non-yar\n",
    "  Modify a target volume     :  volume -m <old name> -n <new name> [-s <server>] [-t <type>]",
    "                                  -m --modify           Old name of the volume/share.",
    "                                  -n --new-name         New name of the volume/share.",
    "                                  -s --server           Server name. This is optional.",
    "                                                        For YAR, it can be either hostname or FQDN or IP address.",
    "                                  -t --type             Type of the server YAR or NON-YAR.",
    "\n                                Examples:",
    "                                  qtrvns-mgmt volume -m VOL1 -n VOL2",
    "                                  qtrvns-mgmt volume -m VOL1 -n VOL2 -s yarServer -t yar",
    INDENT34 "qtrvns-mgmt volume -m VOL1 -n VOL2 -s " EXAMPLE_FQDN,
    "                                  qtrvns-mgmt volume -m VOL1 -n VOL2 -s .yarServer.org.tree.",
    "                                  qtrvns-mgmt volume -m VOL1 -n VOL2 -s 10.0.0.0 -t YAR",
    "                                  qtrvns-mgmt volume -m VOL1 -n VOL2 -s nonYarServer",
    "                                  qtrvns-mgmt volume -m VOL1 -n VOL2 -s nonYarServer -t NON-YAR\n",
    "  Remove a target volume     :  volume -r <volume> [-s <server>] [-t <type>]",
    "                                  -r --remove           Volume/share name to be removed.",
    "                                  -s --server           Server name. This is optional.",
    "                                                        For YAR, it can be either hostname or FQDN or IP address.",
    "                                  -t --type             Type of the server YAR or NON-YAR.",
    "\n                                Examples:",
    "                                  qtrvns-mgmt volume -r VOL1",
    "                                  qtrvns-mgmt volume -r VOL1 -s yarServer",
    INDENT34 "qtrvns-mgmt volume -r VOL1 -s " EXAMPLE_FQDN " -t yar",
    "                                  qtrvns-mgmt volume -r VOL1 -s .yarServer.org.tree.",
    "                                  qtrvns-mgmt volume -r VOL1 -s 10.0.0.0 -t YAR",
    "                                  qtrvns-mgmt volume -r VOL1 -s nonYarServer",
    "                                  qtrvns-mgmt volume -r VOL1 -s nonYarServer -t non-yar\n",
};
static_assert(sizeof kMainUsage / sizeof kMainUsage[0] == 172, "the main usage has 172 strings");

const char *const kListGroupUsage[] = {
    "Usage: qtrvns-mgmt list [options]",
    "Commands:",
    "1. To list the contents of a directory within a QTRV Namespace for a specific user:",
    "  qtrvns-mgmt list -p|--path </TRVNS/name_space_name/path to the directory to be listed> -u|--user <user-fqdn> [-h|--help]",
    "2. To list the contents of a directory within a QTRV Namespace without any access restrictions:",
    "   qtrvns-mgmt list -p|--path </TRVNS/name_space_name/path to the directory to be listed> [-h|--help]",
    "3. To list all the QTRV Namespaces available:",
    "   qtrvns-mgmt list -n|--namespaces [-h|--help]",
};

const char *const kCreateGroupUsage[] = {
    "Usage: qtrvns-mgmt create [options]",
    "Commands:",
    " qtrvns-mgmt create -d|--directory <directory> [-h|--help]",
    " qtrvns-mgmt create -j|--junction -n|--name <name> -d|--directory <directory> -v|--target-volume <volume> [-s|--target-server <server>] [-t|--target-path <path>] [-T|--target-type <type>] [-h|--help]",
    " qtrvns-mgmt create -n|--namespace <Name of the QTRV namespace to be created> [-h|--help]",
};

const char *const kTrusteeGroupUsage[] = {
    "Usage: qtrvns-mgmt trustee [options]",
    "Commands:",
    " qtrvns-mgmt trustee -g|--grant -p|--path <Full path of the Folder/Junction> -t|--trustee <Trustee FQDN> [-h|--help]",
    " qtrvns-mgmt trustee -r|--revoke -p|--path <Full path of the Folder/Junction> -t|--trustee <Trustee FQDN> [-h|--help]",
    " Eg: To grant user '.cn=admin.o=my_org.T=MY_TREE.' access rights on directory 'fol4' in QTRV Namespace 'test45':",
    "     qtrvns-mgmt trustee -g -p /TRVNS/test45/fol4 -t .admin.my_org.MY_TREE.",
    " Eg: To grant user 'ADDOMAIN\\\\aduser' access rights on directory 'fol4' in QTRV Namespace 'test45':",
    "     qtrvns-mgmt trustee -g -p /TRVNS/test45/fol4 -t ADDOMAIN\\\\aduser",
    " Eg: To revoke user '.cn=admin.o=my_org.T=MY_TREE.' access rights on directory 'fol4' in QTRV Namespace 'test45':",
    "     qtrvns-mgmt trustee -r -p /TRVNS/test45/fol4 -t .cn=admin.o=my_org.T=MY_TREE.",
    " Eg: To revoke user 'ADDOMAIN\\\\aduser' access rights on directory 'fol4' in QTRV Namespace 'test45':",
    "     qtrvns-mgmt trustee -r -p /TRVNS/test45/fol4 -t ADDOMAIN\\\\aduser",
};

const char *const kPurgeGroupUsage[] = {
    "Usage: qtrvns-mgmt purge -n|--namespace <name> [-h|--help]",
    "Commands:",
    "1. To delete a namespace 'ns100' permanently:",
    "   qtrvns-mgmt purge -n ns100",
};

const char *const kObjStatUsage[] = {
    "Usage: objstat --path <path> [--json|--xml|--text]",
    "Options:",
    "  -p, --path <path>         Path to the object (required)",
    "      --json                Output in JSON format",
    "      --xml                 Output in XML format",
    "      --text                Output in text format (default)",
    "  -h, --help                Show this help message",
};

const char *const kListDirectoryUsage[] = {
    "\nUsage:",
    "    qtrvns-mgmt list -p <path> [-u <FQDN>]",
    "\nExamples:",
    "    qtrvns-mgmt list -p /TRVNS/NS1/home -u .user.org.YAR-TREE.",
    "    qtrvns-mgmt list -p /TRVNS/NS1/home -u .cn=user.o=org.T=YAR-TREE.",
    "    qtrvns-mgmt list -p /TRVNS/NS1/home/dir1",
    "    qtrvns-mgmt list -p /TRVNS/NS1/home -u ADDOMAIN\\\\aduser",
};

const char *const kJunctionListingUsage[] = {
    "\nUsage:",
    "  qtrvns-mgmt lj [OPTIONS]",
    "  qtrvns-mgmt listJunctions [OPTIONS]",
    "\nOptions:",
    "  -n, --namespace <name>     Namespace name (required)",
    "  -p, --pagenum   <number>   Page number of the paginated output (optional)",
    "  -s, --pagesize  <number>   Number of entries per page (optional)",
    "\nExamples:",
    "  qtrvns-mgmt listJunctions -n NS1",
    "  qtrvns-mgmt listJunctions -n NS1 -p 2 -s 20",
    "  qtrvns-mgmt lj -n NS1 -p 1 -s 10",
    "  qtrvns-mgmt listJunctions --namespace NS1 --pagenum=1 --pagesize=10",
};

const char *const kListJunctionsUsage[] = {
    "Usage: list-junctions --path <directoryPath> [--json|--xml|--text]",
};

const char *const kCreateJunctionUsage[] = {
    "\nUsage:",
    "    qtrvns-mgmt create -j -n <name> -d <directory> -v <volume> [-s <server>] [-t <path>] [-T <type>]",
    "\nExamples:",
    "    qtrvns-mgmt create -j -n j1 -d /TRVNS/ns1/home -v VOL1 -s yarServer -t /dir1",
    "    qtrvns-mgmt create -j -n j1 -d /TRVNS/ns1/home -v VOL1 -s " EXAMPLE_FQDN " -T YAR",
    "    qtrvns-mgmt create -j -n j1 -d /TRVNS/ns1/home/dir1 -v VOL1 -s .yarServer.org.tree.",
    "    qtrvns-mgmt create -j -n j1 -d /TRVNS/ns1/home/dir1 -v VOL1 -s 10.0.0.0",
    "    qtrvns-mgmt create -j -n j1 -d /TRVNS/ns1/home -v Share1 -s nonYarServer -t /dir1 -T NON-YAR",
};

const char *const kCreateDirectoryUsage[] = {
    "\nUsage:",
    "    qtrvns-mgmt create -d <path>",
    "\nExamples:",
    "    qtrvns-mgmt create -d /TRVNS/NS1/home",
    "    qtrvns-mgmt create -d /TRVNS/NS1/home/dir1",
};

const char *const kDeleteUsage[] = {
    "\nUsage:",
    "    qtrvns-mgmt delete -p <path>",
    "\nExamples:",
    "    qtrvns-mgmt delete -p /TRVNS/NS1/home",
    "    qtrvns-mgmt delete -p /TRVNS/NS1/home/j1",
};

const char *const kRenameUsage[] = {
    "\nUsage:",
    "    qtrvns-mgmt rename -o <path> -n <new name>",
    "\nExamples:",
    "    qtrvns-mgmt rename -o /TRVNS/NS1/home/dir1 -n dir2",
    "    qtrvns-mgmt rename -o /TRVNS/NS1/home/dir1/j1 -n j2",
};

const char *const kMoveUsage[] = {
    "\nUsage:",
    "    qtrvns-mgmt move -s <source> -t <target>",
    "\nExamples:",
    "    qtrvns-mgmt move -s /TRVNS/NS1/home/dir1 -t /TRVNS/NS1/project",
    "    qtrvns-mgmt move -s /TRVNS/NS1/home/dir1/j1 -t /TRVNS/NS1/project",
};

const char *const kGrantUsage[] = {
    "\nUsage:",
    "    qtrvns-mgmt trustee -g -p <path> -t <username>",
    "\nExamples:",
    "    qtrvns-mgmt trustee -g -p /TRVNS/NS1/home -t .user1.myorg.MYTREE.",
    "    qtrvns-mgmt trustee -g -p /TRVNS/NS1/home/dir1 -t .cn=user1.o=myorg.T=MYTREE.",
    "    qtrvns-mgmt trustee -g -p /TRVNS/NS1/home/j1 -t MYDOMAIN\\\\aduser",
};

const char *const kRevokeUsage[] = {
    "\nUsage:",
    "    qtrvns-mgmt trustee -r -p <path> -t <username>",
    "\nExamples:",
    "    qtrvns-mgmt trustee -r -p /TRVNS/NS1/home -t .user1.myorg.MYTREE.",
    "    qtrvns-mgmt trustee -r -p /TRVNS/NS1/home/dir1 -t .cn=user1.o=myorg.T=MYTREE.",
    "    qtrvns-mgmt trustee -r -p /TRVNS/NS1/home/j1 -t MYDOMAIN\\\\aduser",
};

const char *const kGetTargetUsage[] = {
    "\nUsage:",
    "    qtrvns-mgmt gettarget -p <path>",
    "\nExamples:",
    "    qtrvns-mgmt gettarget -p /TRVNS/NS1/home/j1",
    "    qtrvns-mgmt gettarget -p /TRVNS/NS1/home/dir1/j1",
};

const char *const kTrusteeListUsage[] = {
    "Usage: trustee-list --path <path> [--json|--xml|--text]",
};

const char *const kCreateNamespaceUsage[] = {
    "\nUsage:",
    "    qtrvns-mgmt create -n <name>",
    "\nExamples:",
    "    qtrvns-mgmt create -n NS1",
    "    qtrvns-mgmt create -n ns2",
};

const char *const kDeleteNamespaceUsage[] = {
    "Usage: deletenamespace --uid <uid> --name <name> [--json|--xml|--text]",
};

const char *const kSalvageNamespaceUsage[] = {
    "Usage: salvagenamespace --uid <uid> --name <name> [--json|--xml|--text]",
};

const char *const kPurgeUsage[] = {
    "\nUsage:",
    "    qtrvns-mgmt purge -n <name>",
    "    Note: This command deletes a namespace permanently",
    "\nExamples:",
    "    qtrvns-mgmt purge -n NS1",
};

const char *const kGetCifsAttrUsage[] = {
    "Usage: get-cifs-attr --namespace <namespace> --user <user>  [--json|--xml|--text]",
};

const char *const kSetCifsAttrUsage[] = {
    "Usage: set-cifs-attr --namespace <namespace> --user <user>  --attr <attr>  [--json|--xml|--text]",
};

const char *const kVolumeAddUsage[] = {
    "\nUsage:",
    "    qtrvns-mgmt volume -a <volume> [-s <server>] [-t <type>] [-n <namespace>]",
    "\nExamples:",
    "    qtrvns-mgmt volume -a VOL1",
    "    qtrvns-mgmt volume -a VOL1 -s yarServer",
    ("    qtrvns-mgmt volume -a VOL1 -s " EXAMPLE_FQDN),
    "    qtrvns-mgmt volume -a VOL1 -s .yarSerer.org.tree. -t YAR",
    "    qtrvns-mgmt volume -a VOL1 -s 10.0.0.0 -n NS1",
    "    qtrvns-mgmt volume -a VOL1 -s nonYarServer -t non-yar",
};

const char *const kVolumeModifyUsage[] = {
    "\nUsage:",
    "    qtrvns-mgmt volume -m <old name> -n <new name> [-s <server>] [-t <type>]",
    "\nExamples:",
    "    qtrvns-mgmt volume -m VOL1 -n VOL2",
    "    qtrvns-mgmt volume -m VOL1 -n VOL2 -s yarServer -t yar",
    ("    qtrvns-mgmt volume -m VOL1 -n VOL2 -s " EXAMPLE_FQDN),
    "    qtrvns-mgmt volume -m VOL1 -n VOL2 -s .yarServer.org.tree.",
    "    qtrvns-mgmt volume -m VOL1 -n VOL2 -s 10.0.0.0 -t YAR",
    "    qtrvns-mgmt volume -m VOL1 -n VOL2 -s nonYarServer",
    "    qtrvns-mgmt volume -m VOL1 -n VOL2 -s nonYarServer -t NON-YAR",
};

const char *const kVolumeRemoveUsage[] = {
    "\nUsage:",
    "    qtrvns-mgmt volume -r <volume> [-s <server>] [-t <type>]",
    "\nExamples:",
    "    qtrvns-mgmt volume -r VOL1",
    "    qtrvns-mgmt volume -r VOL1 -s yarServer",
    "    qtrvns-mgmt volume -r VOL1 -s " EXAMPLE_FQDN " -t yar",
    "    qtrvns-mgmt volume -r VOL1 -s .yarServer.org.tree.",
    "    qtrvns-mgmt volume -r VOL1 -s 10.0.0.0 -t YAR",
    "    qtrvns-mgmt volume -r VOL1 -s nonYarServer",
    "    qtrvns-mgmt volume -r VOL1 -s nonYarServer -t non-yar",
};

const char *const kBatchUsage[] = {
    "\nUsage:",
    "    qtrvns-mgmt --batch <file> [--force] [--yes]",
    "    Runs one command per line of <file> (- for standard input) on one connection.",
    "    Words are split as a shell splits them (quotes, backslashes); nothing is expanded.",
    "    Blank lines and lines starting with # are skipped.",
    "      --force      Go on after a failing command; exit with the status of the last one.",
    "      --yes        Answer purge's question with yes. Without it, purge asks on the terminal",
    "                   and fails when there is none; the batch's own lines never answer it.",
    "\nExamples:",
    "    qtrvns-mgmt --batch setup.txt",
    "    qtrvns-mgmt export -n NS1 | qtrvns-mgmt --batch -",
};

const char *const kExportUsage[] = {
    "\nUsage:",
    "    qtrvns-mgmt export -n <namespace> [-o <file>]",
    "    Writes a batch file that recreates the namespace: the namespace, its folders,",
    "    junctions and trustees. Without -o it goes to standard output.",
    "      -n --namespace     Name of the namespace to export.",
    "      -o --output        File to write.",
    "\nExamples:",
    "    qtrvns-mgmt export -n NS1 -o NS1.batch",
    "    qtrvns-mgmt --batch NS1.batch",
};

}  // namespace

void mainUsage() { print(kMainUsage); }
void batchUsage() { print(kBatchUsage); }
void exportUsage() { print(kExportUsage); }
void listGroupUsage() { print(kListGroupUsage); }
void createGroupUsage() { print(kCreateGroupUsage); }
void trusteeGroupUsage() { print(kTrusteeGroupUsage); }
void purgeGroupUsage() { print(kPurgeGroupUsage); }
void objStatUsage() { print(kObjStatUsage); }
void listDirectoryUsage() { print(kListDirectoryUsage); }
void junctionListingUsage() { print(kJunctionListingUsage); }
void listJunctionsUsage() { print(kListJunctionsUsage); }
void createJunctionUsage() { print(kCreateJunctionUsage); }
void createDirectoryUsage() { print(kCreateDirectoryUsage); }
void deleteUsage() { print(kDeleteUsage); }
void renameUsage() { print(kRenameUsage); }
void moveUsage() { print(kMoveUsage); }
void getTargetUsage() { print(kGetTargetUsage); }
void grantUsage() { print(kGrantUsage); }
void revokeUsage() { print(kRevokeUsage); }
void trusteeListUsage() { print(kTrusteeListUsage); }
void createNamespaceUsage() { print(kCreateNamespaceUsage); }
void deleteNamespaceUsage() { print(kDeleteNamespaceUsage); }
void salvageNamespaceUsage() { print(kSalvageNamespaceUsage); }
void purgeUsage() { print(kPurgeUsage); }
void getCifsAttrUsage() { print(kGetCifsAttrUsage); }
void setCifsAttrUsage() { print(kSetCifsAttrUsage); }
void volumeAddUsage() { print(kVolumeAddUsage); }
void volumeModifyUsage() { print(kVolumeModifyUsage); }
void volumeRemoveUsage() { print(kVolumeRemoveUsage); }

}  // namespace cli::help
