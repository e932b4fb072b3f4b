#include "silent_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace trvns_test {

SilentPeer::SilentPeer() {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || listen(fd_, 16) != 0 ||
        getsockname(fd_, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        if (fd_ >= 0) close(fd_);
        throw std::runtime_error("cannot start the silent peer");
    }
    port_ = ntohs(address.sin_port);
}

SilentPeer::~SilentPeer() { close(fd_); }

}  // namespace trvns_test
