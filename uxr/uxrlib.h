/*
 * libtrvnsuxr: the toolset's identity lookup, turning a canonical user name
 * into a numeric uid.
 *
 * A name is looked up, in this order:
 *  1. in the table /etc/opt/brenvik/qtrvns/uxr-users.conf, one "name = uid"
 *     line per user ('#' starts a comment; the uid follows the last '=' of
 *     the line, so names may hold '=' themselves; names match exactly);
 *  2. in the local user database (getpwnam), under the first component of
 *     the name: "alice" for ".alice.org.TREE.", ".cn=alice.o=org.T=TREE." or
 *     "DOMAIN\alice" (the part after the last backslash).
 * Returns 0 and stores the uid on success; UXR_NOT_FOUND when neither knows
 * the name; UXR_INVALID_ARGUMENT for a null or empty name or a null slot.
 */
#ifndef TRVNS_UXRLIB_H
#define TRVNS_UXRLIB_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define UXR_NOT_FOUND 2
#define UXR_INVALID_ARGUMENT 22

__attribute__((visibility("default"))) int uxrlib_get_uid_from_uname(int context, const char *name, uint32_t *uid);

#ifdef __cplusplus
}
#endif

#endif
