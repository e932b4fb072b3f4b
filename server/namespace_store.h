// The namespace tree of the server, kept in SQLite: namespaces, folders,
// junctions, trustees and target volumes.  Every request is one
// transaction; bad input gets its status code and changes nothing.
#ifndef TRVNS_SERVER_NAMESPACE_STORE_H
#define TRVNS_SERVER_NAMESPACE_STORE_H

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "sqlite_db.h"
#include "trvnamespace.pb.h"

namespace nsserver {

// Maps a trustee name to a uid; false when the name is unknown.
using UidLookup = std::function<bool(const std::string &name, uint32_t *uid)>;

class NamespaceStore {
public:
    NamespaceStore(const std::string &databasePath, UidLookup lookup);
    // Writes a consistent copy of a database, which may be in use, to `file`:
    // a new file of mode 0600 renamed into place.  Refuses a `file` that is a
    // symbolic link or the database itself; on failure nothing is left.
    static void backup(const std::string &databasePath, const std::string &file);

    int createNamespace(const trvnamespace::CreateNamespaceInput &in);
    int deleteNamespace(const std::string &name);
    int salvageNamespace(const std::string &name);
    int purgeNamespace(const std::string &name);
    int getNamespaces(trvnamespace::GetNamespacesReply *reply);
    int getCifsAttr(const std::string &name, std::string *attr);
    int setCifsAttr(const std::string &name, const std::string &attr);

    int createFolder(const std::string &path);
    int createJunction(const trvnamespace::CreateJunctionInput &in);
    int remove(const std::string &path);
    int rename(const std::string &path, const std::string &newName);
    int move(const std::string &source, const std::string &target);

    int objStat(const std::string &path, trvnamespace::ObjStatReply *reply);
    int dirStat(const std::string &path, uint32_t uid, trvnamespace::DirStatReply *reply);
    int listContents(const std::string &path, trvnamespace::ListContentsReply *reply);
    int junctionTarget(const std::string &path, trvnamespace::GetJunctionTargetReply *reply);
    // Hands each junction of the page to `row`, in listing order; `total` is
    // the namespace's junction count.
    using JunctionRow = std::function<void(const std::string &folderName, const std::string &junctionName,
                                           const std::string &targetPath)>;
    int listAll(const std::string &nameSpace, int32_t pageNum, int32_t pageSize, const JunctionRow &row,
                int64_t *total);

    int trusteeGrant(const std::string &path, const trvnamespace::Trustee &trustee);
    int trusteeRevoke(const std::string &path, const std::string &name);
    int trusteeList(const std::string &path, trvnamespace::TrusteeListReply *reply);

    int addVolume(const trvnamespace::AddVolumeEntryInput &in);
    int modifyVolume(const trvnamespace::ModifyVolumeEntryInput &in);
    int removeVolume(const trvnamespace::RemoveVolumeEntryInput &in);

    struct Node {
        int64_t id = 0;
        int64_t nsId = 0;
        int64_t parentId = 0;  // 0 for a namespace root
        std::string name;
        int kind = 0;  // kFolder or kJunction
        int64_t size = 0;
        int64_t created = 0, modified = 0, accessed = 0;
        std::string targetServer, targetVolume, targetPath;
        int targetType = 0;
        std::string dir;  // path of its folder below the namespace
    };
    static constexpr int kFolder = 1;
    static constexpr int kJunction = 2;

private:
    struct Location {
        int64_t nsId = 0;
        std::string nsName;
        std::vector<std::string> components;  // below the namespace
    };

    int locate(const std::string &path, Location *location);
    int findNamespace(const std::string &name, bool deleted, int64_t *id);
    int resolve(const Location &location, size_t depth, Node *node);
    int resolvePath(const std::string &path, Node *node);
    bool childExists(int64_t parentId, const std::string &name);
    int64_t insertNode(const Node &node);
    void touch(int64_t nodeId);
    bool loadNode(int64_t id, Node *node);
    std::vector<int64_t> grantedNodes(int64_t nsId, uint32_t uid);
    // Where each run of the listing starts: offsets and first keys.
    struct RunIndex {
        int64_t version = 0;
        std::vector<std::string> dirs, names;
        std::vector<int64_t> starts;
    };
    std::shared_ptr<const RunIndex> runIndex(int64_t nsId, int64_t version);
    void countJunction(const Node &junction, int delta);
    void setRunCount(int64_t nsId, const std::string &firstDir, const std::string &firstName, int64_t count);
    void splitRun(int64_t nsId, const std::string &firstDir, const std::string &firstName, int64_t count);
    void relocate(const Node &node, const std::string &newDir, const std::string &newName);
    std::string resolveTargetServer(int64_t nsId, const std::string &server, const std::string &volume);

    // A request's connection: the one writer, under its lock, for a change;
    // a reader of its own, in one read transaction, for a read.  WAL lets
    // readers run beside each other and beside the writer.
    class WriteSession {
    public:
        explicit WriteSession(NamespaceStore &store);
        ~WriteSession();

    private:
        std::lock_guard<std::mutex> lock_;
    };
    class ReadSession {
    public:
        explicit ReadSession(NamespaceStore &store);
        ~ReadSession();

    private:
        NamespaceStore &store_;
        std::unique_ptr<Database> connection_;
    };
    static constexpr size_t kMaxIdleReaders = 16;
    static Database &db();

    const std::string path_;
    std::mutex writeMutex_;
    Database writer_;
    std::mutex readersMutex_;
    std::vector<std::unique_ptr<Database>> idleReaders_;
    struct KnownUid {
        bool found = false;
        uint32_t uid = 0;
    };
    static constexpr std::chrono::seconds kUidLifetime{10};
    bool uidOf(const std::string &name, uint32_t *uid);
    std::mutex uidsMutex_;
    std::chrono::steady_clock::time_point uidsFilled_;
    std::unordered_map<std::string, KnownUid> uids_;

    std::mutex runIndexMutex_;
    std::map<int64_t, std::shared_ptr<const RunIndex>> runIndexes_;
    UidLookup lookup_;
};

}  // namespace nsserver

#endif
