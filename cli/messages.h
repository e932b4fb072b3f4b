// Every message text of the program's handlers, by command group.  Texts
// are used exactly as they stand.
#ifndef QTRVNS_MESSAGES_H
#define QTRVNS_MESSAGES_H

namespace cli::msg {

// Shared by several handlers.
constexpr char kUnexpectedArguments[] = "Error: Unexpected arguments detected.\n";
constexpr char kUnknownOption[] = "Error: Unknown option.\n";
constexpr char kMultipleFormats[] = "Error: Multiple output formats specified.\n";
constexpr char kDuplicatePath[] = "Error: Duplicate --path option.\n";
constexpr char kPathRequired[] = "Error: --path is required.\n";
constexpr char kAllMandatory[] = "Error: All mandatory options are required.\n";
constexpr char kServerConnectFailed[] = "serverConnect failed with retCode :%d \n";
constexpr char kDisconnectCompleted[] = "disconnect completed with return code : %d\n";
constexpr char kOutputFormat[] = "Output format: %s\n";

// Listing commands.
constexpr char kObjStatCalled[] = "ObjStatHandler called.";
constexpr char kPathLine[] = "Path: %s\n";
constexpr char kDuplicateUser[] = "Error: Duplicate --user option.\n";
constexpr char kListPathNotProvided[] = "Error: Argument not provided for --path | -p.\n";
constexpr char kListUserNotProvided[] = "Error: Argument not provided for --user | -u.\n";
constexpr char kListPathRequired[] = "Error: --path | -p  is required.\n";
constexpr char kFailedToProcessUser[] = "Failed to process user!";
constexpr char kUxrLookupFailed[] = "Failed to get the user details from UXR service.:%d \n";
constexpr char kDirectoryListingFailed[] = "Directory listing operation failed. Error:%s\n";
constexpr char kDuplicateNamespace[] = "Error: Duplicate --namespace option.\n";
constexpr char kDuplicatePagenum[] = "Error: Duplicate --pagenum option.\n";
constexpr char kDuplicatePagesize[] = "Error: Duplicate --pagesize option.\n";
constexpr char kPagenumUsage[] = "Error: Invalid --pagenum option usage. Use for Eg:  --pagenum=1\n";
constexpr char kPagesizeUsage[] = "Error: Invalid --pagesize option usage. Use for Eg:  --pagesize=10\n";
constexpr char kPagenumInvalid[] = "Error: Invalid value passed in for --pagenum/-p option.\n";
constexpr char kPagesizeInvalid[] = "Error: Invalid value passed in for --pagesize/-s option.\n";
constexpr char kPagenumNonDigit[] = "Error: Non digit value passed in for --pagenum/-p option.\n";
constexpr char kPagesizeNonDigit[] = "Error: Non digit value passed in for --pagesize/-s option.\n";
constexpr char kPagenumMissing[] = "Argument missing for --pagenum or -p option.";
constexpr char kNamespaceMissing[] = "Argument missing for --namespace or -n option.";
constexpr char kPagesizeMissing[] = "Argument missing for --pagesize or -s option.";
constexpr char kUnknownOptionSupplied[] = "Unknown option supplied.";
constexpr char kNamespaceRequired[] = "Error: --namespace | -n  is required.\n";
constexpr char kListAllFailedCode[] = "listAll failed with retCode :%d \n";
constexpr char kListAllFailed[] = "All junction listing operation failed. Error:%s\n";
constexpr char kNoJunctions[] = "No junctions present in the given name space. :%d \n";
constexpr char kListJunctionsCalled[] = "ListJunctionsHandler called.";
constexpr char kDirectoryPathLine[] = "Directory Path: %s\n";
constexpr char kListingJunctionsAt[] = "listing jucntion at the path: %s\n";
constexpr char kListJunctionsFailed[] = "listing junctions failed with retCode :%d \n";

// Folder and junction creation.
constexpr char kDuplicateDirectory[] = "Error: Duplicate --directory option.\n";
constexpr char kDirectoryNotProvided[] = "Error: Argument not provided for -d|--directory option.\n";
constexpr char kDirectoryRequired[] = "Error: --directory is required.\n";
constexpr char kInvalidDirectoryName[] = "Error: Invalid directory name given.\n";
constexpr char kUnableToConnect[] = "Unable to connect to the TRV Name Space service. Error Code  :%d \n";
constexpr char kDirectoryCreated[] = "Directory %s created successfully!\n";
constexpr char kDirectoryCreationFailed[] = "Creation of directory failed. Error:%s\n";
constexpr char kDuplicateName[] = "Error: Duplicate --name option.\n";
constexpr char kDuplicateTargetServer[] = "Error: Duplicate --target-server option.\n";
constexpr char kDuplicateTargetVolume[] = "Error: Duplicate --target-volume option.\n";
constexpr char kDuplicateTargetPath[] = "Error: Duplicate --target-path option.\n";
constexpr char kDuplicateTargetType[] = "Error: Duplicate --target-type option.\n";
constexpr char kInvalidJunctionName[] = "Error: Invalid junction name given.\n";
constexpr char kInvalidVolumeName[] = "Error: Invalid volume name given.\n";
constexpr char kTargetPathSlash[] = "Error: targetPath must start with '/'. \n";
constexpr char kInvalidTargetServer[] = "Error: Invalid target server given.\n";
constexpr char kNonYarNeedsServer[] = "Error: NON-YAR target type requires server name.\n";
constexpr char kJunctionCreated[] = "Junction %s created Successfully!\n";
constexpr char kJunctionCreationFailed[] = "Creation of junction failed. Error:%s\n";
constexpr char kJunctionParentMissing[] =
    "The parent path supplied to create the junction does not exist or invalid.\n";
constexpr char kJunctionNameTaken[] =
    "Another folder/junction exists with the same name as provided in the input for junction name.\n";

// Object commands.
constexpr char kUnknownOptionPassedIn[] = "Error: Unknown option passed in.\n";
constexpr char kInvalidPathPassedIn[] = "Error: Invalid path passed in.\n";
constexpr char kDeleted[] = "Deletion of  %s is successful!\n";
constexpr char kDeleteFailed[] = "Delete or remove operation failed. Error:%s\n";
constexpr char kRequiresArgument[] = "Error: Requires an argument but is not provided.\n";
constexpr char kDuplicateOldname[] = "Error: Duplicate --oldname option.\n";
constexpr char kDuplicateNewname[] = "Error: Duplicate --newname option.\n";
constexpr char kUnsupportedOptionPassed[] = "Error: Unsupported option passed.\n";
constexpr char kRenameArgumentsRequired[] =
    "Error: Arguments required for -o|--oldname and -n|--newname options.\n";
constexpr char kInvalidSource[] = "Error: Invalid source given.\n";
constexpr char kInvalidDestination[] = "Error: Invalid destination given.\n";
constexpr char kRenamed[] = "Rename of  %s is completed successfully!\n";
constexpr char kRenameFailed[] = "Rename operation failed. Error:%s\n";
constexpr char kDuplicateMoveSource[] = "Error: Duplicate --move-source option.\n";
constexpr char kDuplicateMoveTarget[] = "Error: Duplicate --move-target option.\n";
constexpr char kMoveOptionsRequired[] = "Error: --obj-to-move and --dest-folder are required.\n";
constexpr char kInvalidTarget[] = "Error: Invalid target given.\n";
constexpr char kMoved[] = "Move operation of  %s is completed successfully!\n";
constexpr char kMoveFailed[] = "Move operation failed. Error:%s\n";
constexpr char kGetTargetPathNotProvided[] = "Error: Argument not provided for -p|--path option.\n";
constexpr char kGetTargetFailed[] = "Failed to get the target junction is pointin to/. Error:%s\n";
constexpr char kJunctionTargetInfo[] = " Junction Target Info :";
constexpr char kTargetLine[] = " %s --> %s %s%s%s%s\n";
constexpr char kGreen[] = "\033[32m";
constexpr char kNoTargetInformation[] = "Failed to get target information from server.";

// Trustee commands.
constexpr char kDuplicateTrustee[] = "Error: Duplicate --trustee option.\n";
constexpr char kTrusteePathNotProvided[] = "Error: Argument not provided for -p|--path option..\n";
constexpr char kTrusteeNameNotProvided[] = "Error: Argument not provided for -t|--trustee option. | -u.\n";
constexpr char kPathAndTrusteeRequired[] = "Error: --path and --trustee are required.\n";
constexpr char kFailedToProcessTrustee[] = "Failed to process trustee Name!";
constexpr char kGranted[] = "Trustee %s granted rights on %s successfully!\n";
constexpr char kGrantFailed[] = "Trustee grant operation failed. Error:%s\n";
constexpr char kRevoked[] = "Trustee %s rights revoked on %s successfully!\n";
constexpr char kRevokeFailed[] = "Trustee revoke operation failed. Error:%s\n";
constexpr char kTrusteeListCalled[] = "TrusteeListHandler called.";
constexpr char kTrusteeListingAt[] = "trustee listing at the path: %s\n";
constexpr char kTrusteeListingFailed[] = "trustee listing failed with retCode :%d \n";

// Namespace commands.
constexpr char kCreateNamespaceNotProvided[] = "Error:Argument not provided for -n|--namespace option..\n";
constexpr char kNamespaceLength[] = "Error: Length of the  Namespace name is not within the permissible limits.\n";
constexpr char kNamespaceCharacters[] = "Error: Namespace name contains invalid characters.\n";
constexpr char kNamespaceExists[] = "Namespace already exists with the given name.\n";
constexpr char kNamespaceCreationFailed[] = "Creation of Namespace failed. Error:%s\n";
constexpr char kNamespaceCreationFailedCode[] = "Namespace creation  failed. Error Code :%d \n";
constexpr char kNamespaceCreated[] = "Namespace %s created Successfully.\n";
constexpr char kDuplicateUid[] = "Error: Duplicate --uid option.\n";
constexpr char kUidLine[] = "uid: %s\n";
constexpr char kNameLine[] = "Name: %s\n";
constexpr char kInvalidUidString[] = "Invalid UID string: '%s'\n";
constexpr char kUidOutOfRange[] = "UID value out of range: '%s'\n";
constexpr char kPurgeNote[] = " NOTE: This operation will delete the namespace data permanently.";
constexpr char kPurgePrompt[] = " Do you still want to proceed with purge operation?(yes/no)";
constexpr char kPurgeReadError[] = " Error reading the input. Aborting the operation.";
constexpr char kPurgeContinuing[] = " Continuing with the operation...";
constexpr char kPurgeAborting[] = " Aborting the operation...";
constexpr char kPurgeInvalidAnswer[] = " Please provide a valid input";
constexpr char kPurgeFailed[] = "Purge operation of the QTRV Namespace failed. Error:%s\n";
constexpr char kPurged[] = "Purge operation on %s completed Successfully!\n";
constexpr char kListNamespacesFailed[] = "Failed to list the QTRV Namespaces. Error:%s\n";

// CIFS attribute commands.
constexpr char kInvalidUidValue[] = "Invalid UID value: %s\n";
constexpr char kParsedUid[] = "Parsed UID: %u\n";
constexpr char kDuplicateAttr[] = "Error: Duplicate --attr option.\n";
constexpr char kCifsNamespaceRequired[] = "Error: --namespace is required.\n";
constexpr char kUidRequired[] = "Error: --uid is required.\n";
constexpr char kAttrRequired[] = "Error: --attr is required.\n";
constexpr char kGetCifsCalled[] = "GetCifsAttrHandler called.";
constexpr char kSetCifsCalled[] = "SetCifsAttrHandler called.";
constexpr char kNamespaceLine[] = "namespace: %s\n";
constexpr char kUidNumberLine[] = "uid: %d\n";
constexpr char kGetCifsTuple[] = "getCifsAttr tuple <namespace:%s  uid:%d>\n";
constexpr char kGetCifsFailed[] = "getCifs attr failed with retCode :%d \n";
constexpr char kCifsAttrs[] = "cifs attrs is :%s\n";
constexpr char kSetCifsTuple[] = "setCifsAttr tuple <namespace:%s  uid:%d  attr:%s >\n";
constexpr char kSetCifsFailed[] = "setCifs attr failed with retCode :%d \n";

// Volume commands.
constexpr char kVolumeNameRequired[] = "Error: --volumename is required.\n";
constexpr char kInvalidVolumeNameIsGiven[] = "Error: Invalid volume name is given.\n";
constexpr char kNonYarTargetNeedsServer[] = "Error: NON-YAR target requires server name.\n";
constexpr char kInvalidServerName[] = "Error: Invalid servername is provided.\n";
constexpr char kOldNameRequired[] = "Error: --old-name is required.\n";
constexpr char kInvalidOldName[] = "Error: Invalid old volume name is given.\n";
constexpr char kNewNameRequired[] = "Error: --new-name is required.\n";
constexpr char kInvalidNewName[] = "Error: Invalid new volume name is given.\n";
constexpr char kVolumeRequired[] = "Error: --volume is required.\n";
constexpr char kAddVolumeFailed[] = "Add volume failed. Error: %s\n";
constexpr char kVolumeAdded[] = "Successfully added the volume \"%s\"\n";
constexpr char kModifyVolumeFailed[] = "Modify volume failed. Error: %s\n";
constexpr char kVolumeModified[] = "Successfully modified the volume name from \"%s\" to \"%s\"\n";
constexpr char kRemoveVolumeFailed[] = "Remove volume failed. Error: %s\n";
constexpr char kVolumeRemoved[] = "Successfully removed the volume \"%s\"\n";

// Batch mode.
constexpr char kCommandFailed[] = "Command failed %s:%u\n";
constexpr char kCannotOpenBatch[] = "Error: Cannot open the batch file '%s': %s\n";
constexpr char kCannotReadBatch[] = "Error: Cannot read the batch file '%s': %s\n";
constexpr char kBatchFileRequired[] = "Error: One batch file (or - for standard input) is required.\n";
constexpr char kNestedBatch[] = "Error: --batch cannot be used inside a batch.\n";
constexpr char kUnterminatedWord[] = "Error: Unterminated quote or backslash at the end of the batch.\n";
constexpr char kBadCharacter[] = "Error: Unquoted special character in a batch command.\n";
constexpr char kCommandTooLong[] = "Error: Batch command longer than %zu bytes.\n";
constexpr char kNulInCommand[] = "Error: NUL byte in a batch command.\n";
constexpr char kNoExpansion[] = "Error: Batch commands are not expanded; quote $ and ` in single quotes.\n";

// Export.
constexpr char kExportNamespaceRequired[] = "Error: --namespace is required.\n";
constexpr char kCannotWriteExport[] = "Error: Cannot write the export file '%s': %s\n";
constexpr char kExportFailed[] = "Export of %s failed. Error:%s\n";

}  // namespace cli::msg

#endif
