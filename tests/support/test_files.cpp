#include "test_files.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace trvns_test {

void writeFile(const std::string &path, const std::string &content) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file || !(file << content).flush()) throw std::runtime_error("cannot write " + path);
}

std::string readFile(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void removeFile(const std::string &path) { unlink(path.c_str()); }

void copyFile(const std::string &from, const std::string &to) {
    if (access(from.c_str(), R_OK) != 0) throw std::runtime_error("cannot read " + from);
    writeFile(to, readFile(from));
}

namespace {

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
    return text;
}

}  // namespace

namespace {

RunResult runChild(const std::string &input, const std::function<void()> &exec) {
    char inName[] = "/tmp/trvns-in.XXXXXX";
    char outName[] = "/tmp/trvns-out.XXXXXX";
    char errName[] = "/tmp/trvns-err.XXXXXX";
    int inFd = mkstemp(inName), outFd = mkstemp(outName), errFd = mkstemp(errName);
    if (write(inFd, input.data(), input.size()) != static_cast<ssize_t>(input.size())) {
        throw std::runtime_error("cannot write stdin file");
    }
    lseek(inFd, 0, SEEK_SET);
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(inFd, 0);
        dup2(outFd, 1);
        dup2(errFd, 2);
        exec();
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    RunResult result;
    lseek(outFd, 0, SEEK_SET);
    lseek(errFd, 0, SEEK_SET);
    result.out = readAll(outFd);
    result.err = readAll(errFd);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    for (int fd : {inFd, outFd, errFd}) close(fd);
    for (const char *name : {inName, outName, errName}) unlink(name);
    return result;
}

}  // namespace

RunResult runProgram(const std::string &program, const std::vector<std::string> &args, const char *input) {
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program.c_str()));
    for (const std::string &arg : args) argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    return runChild(input ? input : "", [&] {
        if (input == nullptr) close(0);
        execv(program.c_str(), argv.data());
    });
}

RunResult run(const std::string &command, const std::string &input) {
    return runChild(input, [&] { execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char *>(nullptr)); });
}

}  // namespace trvns_test
