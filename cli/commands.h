// The handlers of qtrvns-mgmt, one group per source file.
#ifndef QTRVNS_COMMANDS_H
#define QTRVNS_COMMANDS_H

#include "handler_support.h"

namespace cli {

// Listing commands (cmd_listing.cpp).
int ObjStatHandler(int argc, char **argv, const Context &context);
int ListDirectoryHandler(int argc, char **argv, const Context &context);
int ListAllJunctionsHandler(int argc, char **argv, const Context &context);
int ListJunctionsHandler(int argc, char **argv, const Context &context);

// Folder and junction creation (cmd_create.cpp).
int CreateFolderHandler(int argc, char **argv, const Context &context);
int CreateJunctionHandler(int argc, char **argv, const Context &context);

// Object commands (cmd_object.cpp).
int DeleteHandler(int argc, char **argv, const Context &context);
int RenameHandler(int argc, char **argv, const Context &context);
int MoveHandler(int argc, char **argv, const Context &context);
int GetTargetHandler(int argc, char **argv, const Context &context);

// Trustee commands (cmd_trustee.cpp).
int TrusteeGrantHandler(int argc, char **argv, const Context &context);
int TrusteeRevokeHandler(int argc, char **argv, const Context &context);
int TrusteeListHandler(int argc, char **argv, const Context &context);

// Namespace commands (cmd_namespace.cpp).
int CreateNamespaceHandler(int argc, char **argv, const Context &context);
int DeleteNamespaceHandler(int argc, char **argv, const Context &context);
int PurgeNamespaceHandler(int argc, char **argv, const Context &context);
int SalvageNamespaceHandler(int argc, char **argv, const Context &context);
int ListNamespacesHandler(int argc, char **argv, const Context &context);

// CIFS attribute commands (cmd_cifs.cpp).
int GetCifsAttrHandler(int argc, char **argv, const Context &context);
int SetCifsAttrHandler(int argc, char **argv, const Context &context);

// Volume commands (cmd_volume.cpp).
int VolumeAddHandler(int argc, char **argv, const Context &context);
int VolumeModifyHandler(int argc, char **argv, const Context &context);
int VolumeRemoveHandler(int argc, char **argv, const Context &context);

// Batch mode and export (cmd_batch.cpp, cmd_export.cpp).
int BatchHandler(int argc, char **argv, const Context &context);
int ExportHandler(int argc, char **argv, const Context &context);

// Program entry (dispatch.cpp).
int dispatch(int argc, char **argv);
// One command of a batch on the batch's context; the batch words themselves
// are refused there.
int dispatchInBatch(int argc, char **argv, const Context &context);

}  // namespace cli

#endif
