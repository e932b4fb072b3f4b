#include "server_fixture.h"

#include <stdlib.h>

namespace trvns_test {

using namespace trvnamespace;

ServerProcess::ServerProcess(const std::string &database, std::vector<std::string> extraArgs)
    : ServerLauncher(TRVNS_NSSERVER, TestPki::get().serverCert, TestPki::get().serverKey, database,
                     std::move(extraArgs)) {}

std::unique_ptr<TRVNamespaceServer::Stub> ServerProcess::stub() const {
    grpc::SslCredentialsOptions tls;
    tls.pem_root_certs = readFile(TestPki::get().caCert);
    auto channel = grpc::CreateChannel("127.0.0.1:" + std::to_string(port()), grpc::SslCredentials(tls));
    return TRVNamespaceServer::NewStub(channel);
}

void ServerTest::SetUp() {
    char pattern[] = "/tmp/trvns-server.XXXXXX";
    dir_ = mkdtemp(pattern);
    server_ = std::make_unique<ServerProcess>(dir_ + "/ns.db");
    server_->start();
    stub_ = server_->stub();
}

void ServerTest::TearDown() {
    stub_.reset();
    server_.reset();
    run("rm -rf " + dir_);
}

#define TRVNS_CALL(Rpc, request) call(&Stub::Rpc, request)

int ServerTest::createNamespace(const std::string &name) {
    CreateNamespaceInput in;
    in.set_name(name);
    in.set_attribute1("None");
    in.set_attribute2("None");
    return TRVNS_CALL(CreateNamespace, in);
}

int ServerTest::createFolder(const std::string &path) {
    CreateFolderInput in;
    in.set_path(path);
    return TRVNS_CALL(CreateFolder, in);
}

int ServerTest::createJunction(const std::string &dir, const std::string &name, const std::string &volume,
                               const std::string &server, const std::string &type, const std::string &path) {
    CreateJunctionInput in;
    in.set_dirpath(dir);
    in.set_junctionname(name);
    in.set_targetvolume(volume);
    in.set_targetserver(server);
    in.set_targettype(type);
    in.set_targetpath(path);
    return TRVNS_CALL(CreateJunction, in);
}

int ServerTest::remove(const std::string &path) {
    RemoveInput in;
    in.set_username("root");
    in.set_path(path);
    return TRVNS_CALL(Remove, in);
}

int ServerTest::rename(const std::string &path, const std::string &newName) {
    RenameInput in;
    in.set_path(path);
    in.set_newname(newName);
    return TRVNS_CALL(Rename, in);
}

int ServerTest::move(const std::string &source, const std::string &target) {
    MoveInput in;
    in.set_source(source);
    in.set_target(target);
    return TRVNS_CALL(Move, in);
}

int ServerTest::grant(const std::string &path, const std::string &trustee) {
    TrusteeGrantInput in;
    in.set_path(path);
    in.mutable_trustee()->set_name(trustee);
    in.mutable_trustee()->set_type(1);
    in.mutable_trustee()->set_rights(123);
    return TRVNS_CALL(TrusteeGrant, in);
}

int ServerTest::revoke(const std::string &path, const std::string &trustee) {
    TrusteeRevokeInput in;
    in.set_path(path);
    in.mutable_trustee()->set_name(trustee);
    return TRVNS_CALL(TrusteeRevoke, in);
}

int ServerTest::deleteNamespace(const std::string &name) {
    DeleteNamespaceInput in;
    in.set_name(name);
    return TRVNS_CALL(DeleteNamespace, in);
}

int ServerTest::salvageNamespace(const std::string &name) {
    SalvageNamespaceInput in;
    in.set_name(name);
    return TRVNS_CALL(SalvageNamespace, in);
}

int ServerTest::purgeNamespace(const std::string &name) {
    PurgeNamespaceInput in;
    in.set_name(name);
    return TRVNS_CALL(PurgeNamespace, in);
}

DirStatReply ServerTest::dirStat(const std::string &path, uint32_t uid) {
    DirStatInput in;
    in.set_foldername(path);
    in.set_uid(uid);
    DirStatReply reply;
    grpc::ClientContext context;
    EXPECT_TRUE(stub_->DirStat(&context, in, &reply).ok());
    return reply;
}

std::vector<std::string> ServerTest::names(const std::string &path, uint32_t uid) {
    std::vector<std::string> result;
    DirStatReply reply = dirStat(path, uid);
    for (const Metadata &m : reply.metadata()) result.push_back(m.name());
    return result;
}

std::vector<std::string> ServerTest::namespaces() {
    GetNamespacesReply reply;
    grpc::ClientContext context;
    EXPECT_TRUE(stub_->GetNamespaces(&context, GetNamespacesInput(), &reply).ok());
    std::vector<std::string> result;
    for (const Namespace &ns : reply.namespaces()) result.push_back(ns.name());
    return result;
}

}  // namespace trvns_test
