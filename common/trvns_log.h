// Logging helper shared by the library and the plug-in: every message of a
// function carries the "%s(%d): " prefix with the function name and line.
#ifndef TRVNS_LOG_H
#define TRVNS_LOG_H

#include <syslog.h>

#define TRVNS_LOG(priority, format, ...) \
    syslog((priority), "%s(%d): " format, __func__, __LINE__, ##__VA_ARGS__)

// For messages that name a function other than the caller.
#define TRVNS_LOG_AS(name, priority, format, ...) \
    syslog((priority), "%s(%d): " format, (name), __LINE__, ##__VA_ARGS__)

// The text printed for a null string, so printf never sees a null "%s".
inline const char *trvnsOrNull(const char *text) { return text ? text : "(null)"; }

#endif
