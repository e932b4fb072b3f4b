// A batch keeps one connection for all its commands.  When the server
// restarts in the middle, the commands that meet the lost connection wait
// for it to come back (within their timeout) instead of failing.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "server_fixture.h"

namespace trvns_test {
namespace {

// qtrvns-mgmt --batch --force - fed one line at a time.
class RunningBatch {
public:
    explicit RunningBatch(const std::string &outputs) : out_(outputs + ".out"), err_(outputs + ".err") {
        int in[2];
        if (pipe2(in, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], 0);
            int out = open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int err = open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (out < 0 || err < 0) _exit(127);
            dup2(out, 1);
            dup2(err, 2);
            execl(QTRVNS_MGMT, QTRVNS_MGMT, "--batch", "--force", "-", static_cast<char *>(nullptr));
            _exit(127);
        }
        close(in[0]);
        in_ = in[1];
    }
    ~RunningBatch() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            finish();
        }
    }
    void send(const std::string &command) {
        std::string line = command + "\n";
        ASSERT_EQ(static_cast<ssize_t>(line.size()), write(in_, line.data(), line.size()));
    }
    // Waits until the standard output holds `text`.
    ::testing::AssertionResult printed(const std::string &text) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (readFile(out_).find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > limit) {
                return ::testing::AssertionFailure()
                       << "no \"" << text << "\" in\n" << readFile(out_) << readFile(err_);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return ::testing::AssertionSuccess();
    }
    // Ends the input and waits for the program; its exit status.
    int finish() {
        if (in_ >= 0) close(in_);
        in_ = -1;
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::string out() const { return readFile(out_); }
    std::string err() const { return readFile(err_); }

private:
    std::string out_, err_;
    pid_t pid_ = -1;
    int in_ = -1;
};

class BatchReconnect : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        copyFile(TRVNS_PLUGIN_FILE, "/opt/brenvik/qtrvns/plugins/libremoteops.so");
        writeFile(kTreeConfig, "x7q.base.tree-name = MY_TREE\n");
        writeFile(kClientConfig, "[nsserver]\nhost = 127.0.0.1\nport = " + std::to_string(server_->port()) +
                                     "\ncertpath = " + TestPki::get().caCert + "\ntimeout = 30\n");
    }
    // Stops the server with `signal` and starts it again on the same port
    // and database.
    void restartServer(int signal, const std::function<void()> &whileDown) {
        const int port = server_->port();
        stub_.reset();
        server_->stop(signal);
        whileDown();
        const std::vector<std::string> samePort{"--listen", "127.0.0.1:" + std::to_string(port)};
        server_ = std::make_unique<ServerProcess>(dir_ + "/ns.db", samePort);
        server_->start();
        ASSERT_EQ(port, server_->port());
        stub_ = server_->stub();
    }
};

TEST_F(BatchReconnect, CommandsAfterARestartSucceed) {
    struct Case {
        const char *how;
        int signal;
    } cases[] = {{"stopped", SIGTERM}, {"killed", SIGKILL}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.how);
        const std::string ns = std::string("NS_") + c.how, folder = "/TRVNS/" + ns + "/";
        RunningBatch batch(dir_ + "/batch_" + c.how);
        batch.send("create -n " + ns);
        ASSERT_TRUE(batch.printed("Namespace " + ns + " created Successfully.\n"));
        restartServer(c.signal, [&] {
            // The connection is left unused for a while, as between the
            // commands of a batch fed by hand or by a slow producer (a
            // request written at the very moment the server dies may have
            // reached it, and fails).  The command is sent while nothing
            // listens, and given a moment to meet the closed port.
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            batch.send("create -d " + folder + "during");
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        });
        batch.send("create -d " + folder + "after");
        batch.send("list -n");
        EXPECT_EQ(0, batch.finish()) << batch.err();
        EXPECT_EQ("", batch.err());
        EXPECT_NE(std::string::npos, batch.out().find("Directory " + folder + "during created successfully!\n"
                                                      "Directory " + folder + "after created successfully!\n"))
            << batch.out();
        EXPECT_EQ((std::vector<std::string>{"after", "during"}), names("/" + ns));
    }
}

}  // namespace
}  // namespace trvns_test
