#include "recording_server.h"

#include <stdexcept>

#include "test_files.h"

namespace trvns_test {

const TestPki &TestPki::get() {
    static const TestPki pki = [] {
        TestPki p;
        p.dir = "/etc/opt/brenvik/qtrvns/test-pki";
        p.caCert = p.dir + "/ca.pem";
        p.otherCaCert = p.dir + "/other-ca.pem";
        p.serverCert = p.dir + "/server.pem";
        p.serverKey = p.dir + "/server.key";
        p.clientCert = p.dir + "/client.pem";
        p.clientKey = p.dir + "/client.key";
        p.otherClientCert = p.dir + "/other-client.pem";
        p.otherClientKey = p.dir + "/other-client.key";
        std::string script = "set -e; mkdir -p " + p.dir + "; cd " + p.dir + R"(
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=trvns-test-ca -keyout ca.key -out ca.pem 2>/dev/null
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=trvns-other-ca -keyout other-ca.key -out other-ca.pem 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj /CN=localhost -keyout server.key -out server.csr 2>/dev/null
printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\n' > san.ext
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile san.ext -out server.pem 2>/dev/null
for signer in ca other-ca; do
    name=${signer%ca}client
    openssl req -newkey rsa:2048 -nodes -subj /CN=trvns-admin -keyout $name.key -out $name.csr 2>/dev/null
    printf 'extendedKeyUsage=clientAuth\n' > client.ext
    openssl x509 -req -in $name.csr -CA $signer.pem -CAkey $signer.key -CAcreateserial -days 2 \
        -extfile client.ext -out $name.pem 2>/dev/null
done
)";
        RunResult result = run(script);
        if (result.status != 0) throw std::runtime_error("cannot make test certificates: " + result.err);
        return p;
    }();
    return pki;
}

#define TRVNS_RECORD_RPC(Name)                                                                               \
    grpc::Status Name(grpc::ServerContext *, const trvnamespace::Name##Input *request,                      \
                      trvnamespace::Name##Reply *reply) override {                                           \
        return owner_.handle(#Name, *request, reply);                                                       \
    }

class RecordingServer::Service final : public trvnamespace::TRVNamespaceServer::Service {
public:
    explicit Service(RecordingServer &owner) : owner_(owner) {}
    TRVNS_RECORD_RPC(CreateJunction)
    TRVNS_RECORD_RPC(CreateFolder)
    TRVNS_RECORD_RPC(Remove)
    TRVNS_RECORD_RPC(Rename)
    TRVNS_RECORD_RPC(Move)
    TRVNS_RECORD_RPC(TrusteeGrant)
    TRVNS_RECORD_RPC(TrusteeRevoke)
    TRVNS_RECORD_RPC(TrusteeList)
    TRVNS_RECORD_RPC(GetJunctionTarget)
    TRVNS_RECORD_RPC(ListContents)
    TRVNS_RECORD_RPC(ObjStat)
    TRVNS_RECORD_RPC(DirStat)
    TRVNS_RECORD_RPC(ListAll)
    TRVNS_RECORD_RPC(GetNamespaces)
    TRVNS_RECORD_RPC(GetNSCifsAttr)
    TRVNS_RECORD_RPC(SetNSCifsAttr)
    TRVNS_RECORD_RPC(CreateNamespace)
    TRVNS_RECORD_RPC(DeleteNamespace)
    TRVNS_RECORD_RPC(PurgeNamespace)
    TRVNS_RECORD_RPC(SalvageNamespace)
    TRVNS_RECORD_RPC(AddVolumeEntry)
    TRVNS_RECORD_RPC(ModifyVolumeEntry)
    TRVNS_RECORD_RPC(RemoveVolumeEntry)
    TRVNS_RECORD_RPC(InitService)

private:
    RecordingServer &owner_;
};

RecordingServer::RecordingServer(ClientAuth auth) : service_(new Service(*this)) {
    const TestPki &pki = TestPki::get();
    grpc::SslServerCredentialsOptions tls(auth == ClientAuth::kRequire
                                              ? GRPC_SSL_REQUEST_AND_REQUIRE_CLIENT_CERTIFICATE_AND_VERIFY
                                              : GRPC_SSL_DONT_REQUEST_CLIENT_CERTIFICATE);
    if (auth == ClientAuth::kRequire) tls.pem_root_certs = readFile(pki.caCert);
    tls.pem_key_cert_pairs.push_back({readFile(pki.serverKey), readFile(pki.serverCert)});
    grpc::ServerBuilder builder;
    builder.AddListeningPort("127.0.0.1:0", grpc::SslServerCredentials(tls), &port_);
    builder.RegisterService(service_.get());
    server_ = builder.BuildAndStart();
    if (!server_ || port_ == 0) throw std::runtime_error("cannot start the recording server");
}

RecordingServer::~RecordingServer() {
    clear();
    server_->Shutdown();
    server_->Wait();
}

void RecordingServer::setReply(const std::string &rpc, const google::protobuf::Message &reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    replies_[rpc].reset(reply.New());
    replies_[rpc]->CopyFrom(reply);
}

void RecordingServer::failCalls(const std::string &rpc) {
    std::lock_guard<std::mutex> lock(mutex_);
    failing_.insert(rpc);
}

void RecordingServer::holdCalls(const std::string &rpc) {
    std::lock_guard<std::mutex> lock(mutex_);
    holding_.insert(rpc);
}

void RecordingServer::delayCalls(const std::string &rpc, std::chrono::milliseconds delay) {
    std::lock_guard<std::mutex> lock(mutex_);
    delays_[rpc] = delay;
}

void RecordingServer::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.clear();
    replies_.clear();
    failing_.clear();
    holding_.clear();
    delays_.clear();
    lastError_.clear();
    released_.notify_all();
}

std::vector<RecordedRequest> RecordingServer::requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

grpc::Status RecordingServer::handle(const char *rpc, const google::protobuf::Message &request,
                                     google::protobuf::Message *reply) {
    std::unique_lock<std::mutex> lock(mutex_);
    std::shared_ptr<google::protobuf::Message> copy(request.New());
    copy->CopyFrom(request);
    requests_.push_back({rpc, copy});
    released_.wait(lock, [&] { return holding_.count(rpc) == 0; });
    auto delay = delays_.find(rpc);
    if (delay != delays_.end()) released_.wait_for(lock, delay->second, [] { return false; });
    if (failing_.count(rpc) != 0) return grpc::Status(grpc::StatusCode::UNAVAILABLE, "scripted failure");
    auto scripted = replies_.find(rpc);
    if (scripted == replies_.end()) return grpc::Status::OK;
    // Replies that are only a retCode share their wire form, so a test may
    // script one of them for another.
    if (scripted->second->GetDescriptor() == reply->GetDescriptor()) {
        reply->CopyFrom(*scripted->second);
    } else {
        reply->ParseFromString(scripted->second->SerializeAsString());
    }
    return grpc::Status::OK;
}

void RecordingServer::writeClientConfig(const std::string &path, const std::string &certPath) const {
    writeFile(path, "[nsserver]\nhost = 127.0.0.1\nport = " + std::to_string(port_) + "\ncertpath = " +
                        (certPath.empty() ? TestPki::get().caCert : certPath) + "\n");
}

}  // namespace trvns_test
