// trvns-nsserver: the namespace server of the toolset, serving
// trvnamespace.TRVNamespaceServer over TLS from a SQLite database.
//
//   trvns-nsserver [--config FILE] [--listen HOST:PORT] [--cert PEM]
//                  [--key PEM] [--database FILE] [--port-file FILE]
//
// Command-line values win over the [server] section of the INI file
// (keys listen, cert, key, database).  SIGTERM or SIGINT stop it.
#include <getopt.h>
#include <grpcpp/grpcpp.h>
#include <signal.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "namespace_service.h"
#include "namespace_store.h"
#include "uxrlib.h"

namespace {

struct Settings {
    std::string listen = "127.0.0.1:50051";
    std::string cert;
    std::string key;
    std::string database = "/var/opt/brenvik/qtrvns/nsserver.db";
    std::string portFile;
};

std::string trim(const std::string &text) {
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The [server] section of an INI file.
std::map<std::string, std::string> readServerSection(const std::string &path) {
    std::ifstream file(path);
    if (!file) throw std::runtime_error("cannot read configuration " + path);
    std::map<std::string, std::string> values;
    std::string line, section;
    while (std::getline(file, line)) {
        line = trim(line);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line[0] == '[') {
            section = trim(line.substr(1, line.find(']') - 1));
            continue;
        }
        size_t equals = line.find('=');
        if (section == "server" && equals != std::string::npos) {
            values.emplace(trim(line.substr(0, equals)), trim(line.substr(equals + 1)));
        }
    }
    return values;
}

std::string readFile(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read " + path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void usage() {
    std::cerr << "usage: trvns-nsserver [--config FILE] [--listen HOST:PORT] [--cert PEM] [--key PEM] "
                 "[--database FILE] [--port-file FILE]\n";
}

bool parseArguments(int argc, char **argv, Settings &settings) {
    const option options[] = {
        {"config", required_argument, nullptr, 'c'},   {"listen", required_argument, nullptr, 'l'},
        {"cert", required_argument, nullptr, 'C'},     {"key", required_argument, nullptr, 'k'},
        {"database", required_argument, nullptr, 'd'}, {"port-file", required_argument, nullptr, 'p'},
        {"help", no_argument, nullptr, 'h'},           {nullptr, 0, nullptr, 0},
    };
    std::map<char, std::string> given;
    int c;
    while ((c = getopt_long(argc, argv, "", options, nullptr)) != -1) {
        if (c == 'h' || c == '?') return false;
        given[static_cast<char>(c)] = optarg;
    }
    if (optind < argc) return false;
    if (given.count('c')) {
        auto file = readServerSection(given['c']);
        if (file.count("listen")) settings.listen = file["listen"];
        if (file.count("cert")) settings.cert = file["cert"];
        if (file.count("key")) settings.key = file["key"];
        if (file.count("database")) settings.database = file["database"];
    }
    if (given.count('l')) settings.listen = given['l'];
    if (given.count('C')) settings.cert = given['C'];
    if (given.count('k')) settings.key = given['k'];
    if (given.count('d')) settings.database = given['d'];
    if (given.count('p')) settings.portFile = given['p'];
    return !settings.cert.empty() && !settings.key.empty();
}

bool lookUpUid(const std::string &name, uint32_t *uid) { return uxrlib_get_uid_from_uname(0, name.c_str(), uid) == 0; }

}  // namespace

int main(int argc, char **argv) {
    Settings settings;
    try {
        if (!parseArguments(argc, argv, settings)) {
            usage();
            return 2;
        }
        // Stop signals are taken by a waiting thread, not by handlers.
        sigset_t stopSignals;
        sigemptyset(&stopSignals);
        sigaddset(&stopSignals, SIGTERM);
        sigaddset(&stopSignals, SIGINT);
        pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

        nsserver::NamespaceStore store(settings.database, lookUpUid);
        nsserver::NamespaceService service(store);
        grpc::SslServerCredentialsOptions tls;
        tls.pem_key_cert_pairs.push_back({readFile(settings.key), readFile(settings.cert)});
        int port = 0;
        grpc::ServerBuilder builder;
        builder.AddListeningPort(settings.listen, grpc::SslServerCredentials(tls), &port);
        builder.RegisterService(&service);
        builder.SetMaxSendMessageSize(-1);
        std::unique_ptr<grpc::Server> server = builder.BuildAndStart();
        if (!server || port == 0) {
            std::cerr << "trvns-nsserver: cannot listen on " << settings.listen << "\n";
            return 1;
        }
        if (!settings.portFile.empty()) {
            std::ofstream(settings.portFile + ".tmp") << port << "\n";
            std::rename((settings.portFile + ".tmp").c_str(), settings.portFile.c_str());
        }
        std::cerr << "trvns-nsserver: serving " << settings.database << " on port " << port << std::endl;
        std::thread stopper([&] {
            int signal = 0;
            sigwait(&stopSignals, &signal);
            server->Shutdown();
        });
        server->Wait();
        stopper.join();
        std::cerr << "trvns-nsserver: stopped" << std::endl;
        return 0;
    } catch (const std::exception &error) {
        std::cerr << "trvns-nsserver: " << error.what() << "\n";
        return 1;
    }
}
