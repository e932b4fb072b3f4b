// A peer on 127.0.0.1 that accepts TCP connections (the kernel completes
// them from the backlog) and never says a word: a TLS handshake with it
// never completes.  Closed with the object.
#ifndef TRVNS_TEST_SILENT_PEER_H
#define TRVNS_TEST_SILENT_PEER_H

namespace trvns_test {

class SilentPeer {
public:
    SilentPeer();
    ~SilentPeer();
    SilentPeer(const SilentPeer &) = delete;
    SilentPeer &operator=(const SilentPeer &) = delete;

    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

}  // namespace trvns_test

#endif
