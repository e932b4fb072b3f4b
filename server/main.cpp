// trvns-nsserver: the namespace server of the toolset, serving
// trvnamespace.TRVNamespaceServer over TLS from a SQLite database.
//
//   trvns-nsserver [--config FILE] [--listen HOST:PORT] [--cert PEM]
//                  [--key PEM] [--client-ca PEM] [--database FILE]
//                  [--port-file FILE]
//   trvns-nsserver [--config FILE | --database FILE] --backup FILE
//   trvns-nsserver --help | --version
//
// Command-line values win over the [server] section of the INI file
// (keys listen, cert, key, client_ca, database).  SIGTERM or SIGINT stop it.
#include <getopt.h>
#include <grpc/grpc.h>
#include <grpcpp/grpcpp.h>
#include <signal.h>
#include <sys/stat.h>
#include <systemd/sd-daemon.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "bounded_file.h"
#include "ini_file.h"
#include "namespace_service.h"
#include "namespace_store.h"
#include "uxrlib.h"

namespace {

constexpr char kUsage[] =
    "usage: trvns-nsserver [--config FILE] [--listen HOST:PORT] [--cert PEM] [--key PEM]\n"
    "                      [--client-ca PEM] [--database FILE] [--port-file FILE]\n"
    "       trvns-nsserver [--config FILE | --database FILE] --backup FILE\n"
    "       trvns-nsserver --help | --version\n";
constexpr char kOpenPortWarning[] =
    "trvns-nsserver: no client_ca is set: any client that reaches the port acts as an administrator";

struct Settings {
    std::string listen = "127.0.0.1:50051";
    std::string cert;
    std::string key;
    std::string clientCa;
    std::string database = "/var/opt/brenvik/qtrvns/nsserver.db";
    std::string portFile;
    std::string backup;
};

// What the command line asks for besides serving.
enum class Mode { kServe, kBackup, kHelp, kVersion, kWrongUsage };

// One row per setting: its long option, its key in [server] (empty when the
// file cannot set it) and where it goes.
struct SettingRow {
    const char *option;
    const char *key;
    std::string Settings::*field;
};
const SettingRow kSettingRows[] = {
    {"listen", "listen", &Settings::listen},
    {"cert", "cert", &Settings::cert},
    {"key", "key", &Settings::key},
    {"client-ca", "client_ca", &Settings::clientCa},
    {"database", "database", &Settings::database},
    {"port-file", "", &Settings::portFile},
    {"backup", "", &Settings::backup},
};
constexpr int kSettingCount = sizeof(kSettingRows) / sizeof(kSettingRows[0]);
constexpr int kConfigOption = 256, kHelpOption = 257, kVersionOption = 258;

// The whole of a configuration or PEM file, with the bounds and refusals of
// every reader of the toolset (regular files of at most 1 MiB; a refusal is
// logged).  Throws `what` + path, followed by the reason of a refusal.
std::string readFile(const std::string &path, const std::string &what = "cannot read ") {
    return trvns::readBoundedFileOrThrow(path, trvns::kConfigFileLimit, what);
}

// The [server] section of an INI file; the first of repeated keys counts.
std::map<std::string, std::string> readServerSection(const std::string &path) {
    std::map<std::string, std::string> values;
    trvns::visitIni(readFile(path, "cannot read configuration "), trvns::kUnlimitedIni,
                    [&](const std::string &section, const std::string &key, const std::string &value) {
                        if (section == "server") values.emplace(key, value);
                        return true;
                    });
    return values;
}

Mode parseArguments(int argc, char **argv, Settings &settings) {
    std::vector<option> options;
    for (int i = 0; i < kSettingCount; ++i) options.push_back({kSettingRows[i].option, required_argument, nullptr, i});
    options.push_back({"config", required_argument, nullptr, kConfigOption});
    options.push_back({"help", no_argument, nullptr, kHelpOption});
    options.push_back({"version", no_argument, nullptr, kVersionOption});
    options.push_back({nullptr, 0, nullptr, 0});
    std::map<int, std::string> given;
    int c;
    while ((c = getopt_long(argc, argv, "", options.data(), nullptr)) != -1) {
        if (c == kHelpOption) return Mode::kHelp;
        if (c == kVersionOption) return Mode::kVersion;
        if (c == '?') return Mode::kWrongUsage;
        given[c] = optarg;
    }
    if (optind < argc) return Mode::kWrongUsage;
    if (given.count(kConfigOption)) {
        auto file = readServerSection(given[kConfigOption]);
        for (const SettingRow &row : kSettingRows) {
            if (*row.key != '\0' && file.count(row.key)) settings.*row.field = file[row.key];
        }
    }
    for (int i = 0; i < kSettingCount; ++i) {
        if (given.count(i)) settings.*kSettingRows[i].field = given[i];
    }
    if (!settings.backup.empty()) return Mode::kBackup;
    return settings.cert.empty() || settings.key.empty() ? Mode::kWrongUsage : Mode::kServe;
}

bool lookUpUid(const std::string &name, uint32_t *uid) { return uxrlib_get_uid_from_uname(0, name.c_str(), uid) == 0; }

std::shared_ptr<grpc::ServerCredentials> credentials(const Settings &settings) {
    grpc::SslServerCredentialsOptions tls;
    tls.pem_key_cert_pairs.push_back({readFile(settings.key), readFile(settings.cert)});
    if (!settings.clientCa.empty()) {
        tls.pem_root_certs = readFile(settings.clientCa);
        tls.client_certificate_request = GRPC_SSL_REQUEST_AND_REQUIRE_CLIENT_CERTIFICATE_AND_VERIFY;
    }
    return grpc::SslServerCredentials(tls);
}

void writePortFile(const std::string &path, int port) {
    if (path.empty()) return;
    std::ofstream(path + ".tmp") << port << "\n";
    std::rename((path + ".tmp").c_str(), path.c_str());
}

int serve(const Settings &settings) {
    // Stop signals are taken by a waiting thread, not by handlers.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    nsserver::NamespaceStore store(settings.database, lookUpUid);
    nsserver::NamespaceService service(store);
    int port = 0;
    grpc::ServerBuilder builder;
    // gRPC would otherwise share a port in use with the server already on it.
    builder.AddChannelArgument(GRPC_ARG_ALLOW_REUSEPORT, 0);
    builder.AddListeningPort(settings.listen, credentials(settings), &port);
    builder.RegisterService(&service);
    builder.SetMaxSendMessageSize(-1);
    std::unique_ptr<grpc::Server> server = builder.BuildAndStart();
    if (!server || port == 0) {
        std::cerr << "trvns-nsserver: cannot listen on " << settings.listen
                  << " (the port is in use or the address is not available)" << std::endl;
        return 1;
    }
    writePortFile(settings.portFile, port);
    std::cerr << "trvns-nsserver: serving " << settings.database << " on port " << port << std::endl;
    if (settings.clientCa.empty()) std::cerr << kOpenPortWarning << std::endl;
    sd_notify(0, "READY=1");
    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        sd_notify(0, "STOPPING=1");
        server->Shutdown();
    });
    server->Wait();
    stopper.join();
    std::cerr << "trvns-nsserver: stopped" << std::endl;
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    // The database, its journal files and backups hold every grant: owner only.
    umask(077);
    Settings settings;
    try {
        switch (parseArguments(argc, argv, settings)) {
            case Mode::kHelp:
                std::cout << kUsage;
                return 0;
            case Mode::kVersion:
                std::cout << "trvns-nsserver " << TRVNS_VERSION << "\n";
                return 0;
            case Mode::kWrongUsage:
                std::cerr << kUsage;
                return 2;
            case Mode::kBackup:
                nsserver::NamespaceStore::backup(settings.database, settings.backup);
                std::cerr << "trvns-nsserver: backed up " << settings.database << " to " << settings.backup
                          << std::endl;
                return 0;
            case Mode::kServe:
                return serve(settings);
        }
    } catch (const std::exception &error) {
        std::cerr << "trvns-nsserver: " << error.what() << "\n";
    }
    return 1;
}
