// The handlers of qtrvns-mgmt, one group per source file.
#ifndef QTRVNS_COMMANDS_H
#define QTRVNS_COMMANDS_H

namespace cli {

// Listing commands (cmd_listing.cpp).
int ObjStatHandler(int argc, char **argv);
int ListDirectoryHandler(int argc, char **argv);
int ListAllJunctionsHandler(int argc, char **argv);
int ListJunctionsHandler(int argc, char **argv);

// Folder and junction creation (cmd_create.cpp).
int CreateFolderHandler(int argc, char **argv);
int CreateJunctionHandler(int argc, char **argv);

// Object commands (cmd_object.cpp).
int DeleteHandler(int argc, char **argv);
int RenameHandler(int argc, char **argv);
int MoveHandler(int argc, char **argv);
int GetTargetHandler(int argc, char **argv);

// Trustee commands (cmd_trustee.cpp).
int TrusteeGrantHandler(int argc, char **argv);
int TrusteeRevokeHandler(int argc, char **argv);
int TrusteeListHandler(int argc, char **argv);

// Namespace commands (cmd_namespace.cpp).
int CreateNamespaceHandler(int argc, char **argv);
int DeleteNamespaceHandler(int argc, char **argv);
int PurgeNamespaceHandler(int argc, char **argv);
int SalvageNamespaceHandler(int argc, char **argv);
int ListNamespacesHandler(int argc, char **argv);

// CIFS attribute commands (cmd_cifs.cpp).
int GetCifsAttrHandler(int argc, char **argv);
int SetCifsAttrHandler(int argc, char **argv);

// Volume commands (cmd_volume.cpp).
int VolumeAddHandler(int argc, char **argv);
int VolumeModifyHandler(int argc, char **argv);
int VolumeRemoveHandler(int argc, char **argv);

// Program entry (dispatch.cpp).
int dispatch(int argc, char **argv);

}  // namespace cli

#endif
