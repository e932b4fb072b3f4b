// User names: any accepted notation into the canonical dotted form that
// ends in the directory tree name.  Results are malloc'ed; null on failure
// after one diagnostic line on stdout.
#ifndef QTRVNS_USER_NAME_H
#define QTRVNS_USER_NAME_H

namespace cli {

constexpr char kVelgardConfigPath[] = "/etc/opt/brenvik/Velgard/conf/tmz.conf";

char *getVelgardTree();
char *convertLdapDnToDottedFormat(const char *dn);
char *processUserName(const char *name);

}  // namespace cli

#endif
