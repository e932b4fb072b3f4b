#include "server_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "test_files.h"

namespace trvns_test {

ServerLauncher::ServerLauncher(std::string binary, std::string cert, std::string key, std::string database,
                               std::vector<std::string> extraArgs)
    : binary_(std::move(binary)),
      cert_(std::move(cert)),
      key_(std::move(key)),
      database_(std::move(database)),
      extraArgs_(std::move(extraArgs)) {}

ServerLauncher::~ServerLauncher() {
    if (pid_ > 0) stop(SIGKILL);
}

void ServerLauncher::start(std::chrono::seconds patience) {
    std::string portFile = database_ + ".port";
    removeFile(portFile);
    std::vector<std::string> args = {binary_, "--listen",   "127.0.0.1:0", "--cert",    cert_,   "--key",
                                     key_,    "--database", database_,     "--port-file", portFile};
    args.insert(args.end(), extraArgs_.begin(), extraArgs_.end());
    std::vector<char *> argv;
    for (std::string &arg : args) argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        int log = open((database_ + ".log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (log >= 0) dup2(log, 2);
        execv(binary_.c_str(), argv.data());
        _exit(127);
    }
    auto deadline = std::chrono::steady_clock::now() + patience;
    while ((port_ = atoi(readFile(portFile).c_str())) == 0) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            throw std::runtime_error("the server stopped");
        }
        if (std::chrono::steady_clock::now() > deadline) throw std::runtime_error("the server did not start");
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void ServerLauncher::stop(int signal) {
    if (pid_ <= 0) return;
    kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

std::string ServerLauncher::log() const { return readFile(database_ + ".log"); }

}  // namespace trvns_test
