#include "recording_server.h"

#include <stdexcept>

#include "test_files.h"

namespace trvns_test {

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
    writeFile(path, clientConfig(port_, certPath.empty() ? TestPki::get().caCert : certPath));
}

}  // namespace trvns_test
