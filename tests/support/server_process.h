// A trvns-nsserver process for tests and benchmarks: started on a free
// loopback port with a certificate, a key and its own database, its
// standard error appended to DATABASE.log.
#ifndef TRVNS_TEST_SERVER_PROCESS_H
#define TRVNS_TEST_SERVER_PROCESS_H

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace trvns_test {

class ServerLauncher {
public:
    // `extraArgs` go to the server after the launcher's own.
    ServerLauncher(std::string binary, std::string cert, std::string key, std::string database,
                   std::vector<std::string> extraArgs = {});
    ~ServerLauncher();  // kills a running server
    ServerLauncher(const ServerLauncher &) = delete;
    ServerLauncher &operator=(const ServerLauncher &) = delete;

    // Returns once the server has written its port; throws when it stops
    // first or takes longer than `patience`.
    void start(std::chrono::seconds patience = std::chrono::seconds(30));
    void stop(int signal);  // and wait for it
    int port() const { return port_; }
    pid_t pid() const { return pid_; }
    const std::string &database() const { return database_; }
    // What the server wrote to its standard error so far.
    std::string log() const;

private:
    std::string binary_;
    std::string cert_;
    std::string key_;
    std::string database_;
    std::vector<std::string> extraArgs_;
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace trvns_test

#endif
