// The optional settings of the client configuration's [nsserver] section
// that the plug-in applies on top of the connect record: the call deadline
// and the client certificate and key of mutual TLS.
#ifndef TRVNS_GRPC_CLIENT_SETTINGS_H
#define TRVNS_GRPC_CLIENT_SETTINGS_H

#include <chrono>
#include <optional>
#include <string>

struct ClientSettings {
    // Unset: calls have no deadline (timeout = 0).
    std::optional<std::chrono::milliseconds> deadline = kDefaultDeadline;
    // Empty when the key is absent.
    std::string clientCert;
    std::string clientKey;

    static constexpr std::chrono::milliseconds kDefaultDeadline{60000};
};

// Reads the keys with the configuration reader of the library that loaded
// the plug-in.  A host without that reader gets the defaults.
ClientSettings readClientSettings();

// Parses a `timeout` value: seconds, decimals allowed, 0 for no deadline.
// False for anything else (negative, not a number, trailing text).
bool parseTimeout(const char *text, std::optional<std::chrono::milliseconds> *deadline);

#endif
