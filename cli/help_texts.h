// Every usage and help text of qtrvns-mgmt.  Each text is a fixed list of
// strings, each written followed by one newline.
#ifndef QTRVNS_HELP_TEXTS_H
#define QTRVNS_HELP_TEXTS_H

namespace cli::help {

void mainUsage();
void listGroupUsage();
void createGroupUsage();
void trusteeGroupUsage();
void purgeGroupUsage();

void objStatUsage();
void listDirectoryUsage();
void junctionListingUsage();
void listJunctionsUsage();
void createJunctionUsage();
void createDirectoryUsage();
void deleteUsage();
void renameUsage();
void moveUsage();
void getTargetUsage();
void grantUsage();
void revokeUsage();
void trusteeListUsage();
void createNamespaceUsage();
void deleteNamespaceUsage();
void salvageNamespaceUsage();
void purgeUsage();
void getCifsAttrUsage();
void setCifsAttrUsage();
void volumeAddUsage();
void volumeModifyUsage();
void volumeRemoveUsage();
void batchUsage();
void exportUsage();

}  // namespace cli::help

#endif
