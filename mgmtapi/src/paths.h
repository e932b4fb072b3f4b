// Fixed system paths read by the library.
#ifndef TRVNS_PATHS_H
#define TRVNS_PATHS_H

#define TRVNS_CLIENT_CONFIG_PATH "/etc/opt/brenvik/qtrvns/qtrvnsclientconfig.ini"
#define TRVNS_SERVER_CONFIG_PATH "/etc/opt/brenvik/qtrvns/qtrvnsconfig.ini"
#define TRVNS_PLUGIN_DIR "/opt/brenvik/qtrvns/plugins/"
#define TRVNS_DEFAULT_PLUGIN "libremoteops.so"

#endif
