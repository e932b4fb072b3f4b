#include "namespace_store.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <set>

#include "printable_text.h"
#include "status_codes.h"
#include "text.h"
#include "wire_numbers.h"

namespace nsserver {
namespace {

constexpr size_t kMaxComponentLength = 255;
constexpr size_t kMinNamespaceLength = 2;
constexpr size_t kMaxNamespaceLength = 31;
constexpr char kNamespaceCharacters[] =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_!@#$%&()";
constexpr int32_t kMaxPageSize = 100000;
// Target types as the wire numbers them.
constexpr int kYar = trvnamespace::TARGET_TYPE_YAR;
constexpr int kNonYar = trvnamespace::TARGET_TYPE_NON_YAR;
constexpr int kUnknownType = trvnamespace::TARGET_TYPE_UNSET;

const char *const kSchema = R"sql(
CREATE TABLE IF NOT EXISTS namespaces(
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL UNIQUE,
    deleted INTEGER NOT NULL DEFAULT 0,
    cifs_attr TEXT NOT NULL DEFAULT '',
    trvns_attr TEXT NOT NULL DEFAULT '',
    flags INTEGER NOT NULL DEFAULT 0,
    created INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS nodes(
    id INTEGER PRIMARY KEY,
    ns_id INTEGER NOT NULL REFERENCES namespaces(id) ON DELETE CASCADE,
    parent_id INTEGER REFERENCES nodes(id) ON DELETE CASCADE,
    name TEXT NOT NULL,
    kind INTEGER NOT NULL,
    size INTEGER NOT NULL DEFAULT 0,
    created INTEGER NOT NULL,
    modified INTEGER NOT NULL,
    accessed INTEGER NOT NULL,
    target_server TEXT,
    target_volume TEXT,
    target_path TEXT,
    target_type INTEGER);
CREATE UNIQUE INDEX IF NOT EXISTS nodes_by_parent ON nodes(parent_id, name);
CREATE INDEX IF NOT EXISTS nodes_by_namespace ON nodes(ns_id, kind);
CREATE TABLE IF NOT EXISTS trustees(
    node_id INTEGER NOT NULL REFERENCES nodes(id) ON DELETE CASCADE,
    name TEXT NOT NULL,
    guid TEXT NOT NULL DEFAULT '',
    type INTEGER NOT NULL DEFAULT 0,
    rights INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY(node_id, name));
CREATE TABLE IF NOT EXISTS volumes(
    id INTEGER PRIMARY KEY,
    ns_id INTEGER NOT NULL REFERENCES namespaces(id) ON DELETE CASCADE,
    name TEXT NOT NULL,
    server TEXT NOT NULL,
    type TEXT NOT NULL,
    UNIQUE(ns_id, name, server, type));
)sql";

// Junctions are listed by (dir, name): `dir` is the materialised path of the
// node's folder below the namespace ('' in the root, NULL for a root), kept
// in an index in listing order.  listing_pages cuts that order into runs of
// about kPageRows junctions, each with its count, so that a page at any
// offset is found by summing a few thousand counts and stepping less than
// one run through the index; namespaces.junctions is the namespace's total.
// All of it changes in the same transaction as the nodes, and every change
// of the runs steps namespaces.listing_version, under which readers keep
// the runs' starting offsets in memory.
const char *const kListingOrderSchema = R"sql(
ALTER TABLE nodes ADD COLUMN dir TEXT;
ALTER TABLE namespaces ADD COLUMN junctions INTEGER NOT NULL DEFAULT 0;
ALTER TABLE namespaces ADD COLUMN listing_version INTEGER NOT NULL DEFAULT 0;
CREATE TABLE listing_pages(
    ns_id INTEGER NOT NULL REFERENCES namespaces(id) ON DELETE CASCADE,
    first_dir TEXT NOT NULL,
    first_name TEXT NOT NULL,
    count INTEGER NOT NULL,
    PRIMARY KEY(ns_id, first_dir, first_name)) WITHOUT ROWID;
CREATE TEMP TABLE folder_paths(id INTEGER PRIMARY KEY, path TEXT NOT NULL);
WITH RECURSIVE paths(id, path) AS (
    SELECT id, '' FROM nodes WHERE parent_id IS NULL
    UNION ALL
    SELECT n.id, p.path || '/' || n.name FROM nodes n JOIN paths p ON n.parent_id = p.id WHERE n.kind = 1)
INSERT INTO folder_paths SELECT id, path FROM paths;
UPDATE nodes SET dir = (SELECT path FROM folder_paths WHERE folder_paths.id = nodes.parent_id)
    WHERE parent_id IS NOT NULL;
DROP TABLE folder_paths;
DROP INDEX IF EXISTS nodes_by_namespace;
CREATE INDEX nodes_in_listing_order ON nodes(ns_id, kind, dir, name);
UPDATE namespaces SET junctions = (SELECT COUNT(*) FROM nodes WHERE ns_id = namespaces.id AND kind = 2);
)sql";

// Target size of a run of listing_pages; a run splits above twice that.
constexpr int64_t kPageRows = 512;

int64_t now() { return static_cast<int64_t>(time(nullptr)); }

// Status of a stored text other than a name: nothing unprintable (controls,
// line separators, bidirectional controls, malformed UTF-8), which would
// otherwise reach an administrator's terminal and the audit trail raw.
// Names, paths, targets, trustees and attributes are all checked here.
int checkText(const std::string &text) { return holdsUnprintable(text) ? kInvalid : kOk; }

template <typename... Texts>
int checkTexts(const Texts &...texts) {
    int status = kOk;
    for (const std::string *text : {&texts...}) {
        if (status == kOk) status = checkText(*text);
    }
    return status;
}

// Status of a folder, junction or volume name.
int checkName(const std::string &name) {
    if (name.empty() || name.size() > kMaxComponentLength) return kTooLong;
    if (name == "." || name == "..") return kInvalid;
    if (name.find_first_of("/\\") != std::string::npos) return kInvalid;
    return checkText(name);
}

int checkNamespaceName(const std::string &name) {
    if (name.size() < kMinNamespaceLength || name.size() > kMaxNamespaceLength) return kTooLong;
    if (name.find_first_not_of(kNamespaceCharacters) != std::string::npos) return kInvalid;
    return kOk;
}

int targetTypeCode(const std::string &type) {
    if (type.empty() || strcasecmp(type.c_str(), "YAR") == 0) return kYar;
    if (strcasecmp(type.c_str(), "NON-YAR") == 0) return kNonYar;
    return kUnknownType;
}

void fillMetadata(trvnamespace::Metadata *m, const NamespaceStore::Node &node) {
    m->set_name(node.name);
    m->set_size(node.size);
    m->set_type(node.kind == NamespaceStore::kFolder ? trvns::wire::kMetadataFolder : trvns::wire::kMetadataJunction);
    m->set_filetype(node.kind);
    m->set_nodeid(node.id);
    m->set_createepoch(node.created);
    m->set_modifyepoch(node.modified);
    m->set_accessepoch(node.accessed);
}

constexpr char kNodeColumns[] =
    "id, ns_id, IFNULL(parent_id, 0), name, kind, size, created, modified, accessed, IFNULL(target_server, ''), "
    "IFNULL(target_volume, ''), IFNULL(target_path, ''), IFNULL(target_type, 0), IFNULL(dir, '')";

NamespaceStore::Node readNode(const Statement &row) {
    NamespaceStore::Node n;
    n.id = row.integer(0);
    n.nsId = row.integer(1);
    n.parentId = row.integer(2);
    n.name = row.text(3);
    n.kind = static_cast<int>(row.integer(4));
    n.size = row.integer(5);
    n.created = row.integer(6);
    n.modified = row.integer(7);
    n.accessed = row.integer(8);
    n.targetServer = row.text(9);
    n.targetVolume = row.text(10);
    n.targetPath = row.text(11);
    n.targetType = static_cast<int>(row.integer(12));
    n.dir = row.text(13);
    return n;
}

// The path of a folder below its namespace: '' for the root, "/a/b" below.
std::string pathOf(const NamespaceStore::Node &folder) {
    return folder.parentId == 0 ? std::string() : folder.dir + "/" + folder.name;
}

// Builds the runs of listing_pages of every namespace from its junctions.
void buildListingPages(Database &db) {
    std::vector<int64_t> namespaces;
    for (Statement all = db.prepare("SELECT id FROM namespaces"); all.step();) namespaces.push_back(all.integer(0));
    for (int64_t nsId : namespaces) {
        Statement junctions =
            db.prepare("SELECT dir, name FROM nodes WHERE ns_id = ? AND kind = 2 ORDER BY dir, name");
        junctions.bind(1, nsId);
        std::string firstDir, firstName;  // the first run starts below every key
        int64_t count = 0;
        auto flush = [&] {
            db.prepare("INSERT INTO listing_pages(ns_id, first_dir, first_name, count) VALUES(?,?,?,?)")
                .bind(1, nsId)
                .bind(2, firstDir)
                .bind(3, firstName)
                .bind(4, count)
                .run();
        };
        while (junctions.step()) {
            if (count == kPageRows) {
                flush();
                firstDir = junctions.text(0);
                firstName = junctions.text(1);
                count = 0;
            }
            ++count;
        }
        flush();
    }
}

// Schema changes, in order; `version` is the PRAGMA user_version after it.
struct Migration {
    int version;
    void (*apply)(Database &db);
};
const Migration kMigrations[] = {
    {1,
     [](Database &db) {
         db.execute(kListingOrderSchema);
         buildListingPages(db);
     }},
};

void migrate(Database &db) {
    int version = 0;
    {
        Statement query = db.prepare("PRAGMA user_version");
        if (query.step()) version = static_cast<int>(query.integer(0));
    }
    if (version == 0) db.execute(kSchema);  // a new database, or one from before versions were kept
    for (const Migration &migration : kMigrations) {
        if (migration.version <= version) continue;
        Transaction transaction(db);
        migration.apply(db);
        db.execute(("PRAGMA user_version = " + std::to_string(migration.version)).c_str());
        transaction.commit();
        fprintf(stderr, "trvns-nsserver: database schema brought to version %d\n", migration.version);
    }
}

// Runs `body` in one transaction; it commits only when the body returns 0.
template <typename Body>
int inTransaction(Database &db, Body body) {
    Transaction transaction(db);
    int status = body();
    if (status == kOk) transaction.commit();
    return status;
}

}  // namespace

namespace {

// The connection of the request this thread is serving.
thread_local Database *current = nullptr;

void configure(Database &db) {
    db.execute("PRAGMA synchronous=FULL");
    db.execute("PRAGMA foreign_keys=ON");
}

}  // namespace

Database &NamespaceStore::db() { return *current; }

NamespaceStore::WriteSession::WriteSession(NamespaceStore &store) : lock_(store.writeMutex_) {
    current = &store.writer_;
}

NamespaceStore::WriteSession::~WriteSession() { current = nullptr; }

NamespaceStore::ReadSession::ReadSession(NamespaceStore &store) : store_(store) {
    {
        std::lock_guard<std::mutex> lock(store.readersMutex_);
        if (!store.idleReaders_.empty()) {
            connection_ = std::move(store.idleReaders_.back());
            store.idleReaders_.pop_back();
        }
    }
    if (!connection_) {
        connection_ = std::make_unique<Database>(store.path_);
        configure(*connection_);
    }
    // One read transaction: every statement of the request sees one snapshot.
    connection_->execute("BEGIN");
    current = connection_.get();
}

NamespaceStore::ReadSession::~ReadSession() {
    current = nullptr;
    try {
        connection_->execute("COMMIT");
    } catch (const DbError &) {
        return;  // a connection in doubt is closed, not reused
    }
    std::lock_guard<std::mutex> lock(store_.readersMutex_);
    if (store_.idleReaders_.size() < kMaxIdleReaders) store_.idleReaders_.push_back(std::move(connection_));
}

NamespaceStore::NamespaceStore(const std::string &databasePath, UidLookup lookup)
    : path_(databasePath), writer_(databasePath), lookup_(std::move(lookup)) {
    WriteSession session(*this);
    db().execute("PRAGMA journal_mode=WAL");
    configure(db());
    migrate(db());
    // Files made before the server created them owner-only are narrowed too.
    for (const char *suffix : {"", "-wal", "-shm"}) chmod((databasePath + suffix).c_str(), 0600);
}

void NamespaceStore::backup(const std::string &databasePath, const std::string &file) {
    // The copy holds every grant: it is always a new owner-only file, put in
    // place by rename, so it never writes through a link into another file
    // nor keeps the mode of a file it replaces.
    auto refuse = [&](const std::string &why) { return DbError("will not back up to " + file + ": " + why); };
    struct stat target {}, database {};
    if (lstat(file.c_str(), &target) == 0) {
        if (S_ISLNK(target.st_mode)) throw refuse("it is a symbolic link");
        if (stat(databasePath.c_str(), &database) == 0 && target.st_dev == database.st_dev &&
            target.st_ino == database.st_ino) {
            throw refuse("it is the database itself");
        }
    }
    const size_t slash = file.rfind('/');
    const std::string prefix = slash == std::string::npos ? "" : file.substr(0, slash + 1);
    const std::string folder = prefix.empty() ? "." : prefix;
    std::string temporary = prefix + ".nsserver-backup.XXXXXX";
    const int fd = mkstemp(&temporary[0]);  // mode 0600
    if (fd < 0) throw DbError("cannot back up to " + file + ": " + strerror(errno));
    try {
        {
            Database source(databasePath, Database::kReadOnly);
            Database copy(temporary);
            copy.backupFrom(source);
        }
        if (fsync(fd) != 0) throw DbError("cannot back up to " + file + ": " + strerror(errno));
        if (std::rename(temporary.c_str(), file.c_str()) != 0) {
            throw DbError("cannot back up to " + file + ": " + strerror(errno));
        }
    } catch (...) {
        close(fd);
        unlink(temporary.c_str());
        throw;
    }
    close(fd);
    const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (folderFd >= 0) {
        fsync(folderFd);  // so that the rename survives a crash as well
        close(folderFd);
    }
}

// ---- paths -----------------------------------------------------------------

int NamespaceStore::findNamespace(const std::string &name, bool deleted, int64_t *id) {
    Statement query = db().prepare("SELECT id FROM namespaces WHERE name = ? AND deleted = ?");
    query.bind(1, name).bind(2, static_cast<int64_t>(deleted ? 1 : 0));
    if (!query.step()) return kNotANamespace;
    *id = query.integer(0);
    return kOk;
}

int NamespaceStore::locate(const std::string &path, Location *location) {
    if (path.empty() || path[0] != '/') return kInvalid;
    std::string rest = path.substr(1);
    if (!rest.empty() && rest.back() == '/') rest.pop_back();
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= rest.size()) {
        size_t slash = rest.find('/', start);
        if (slash == std::string::npos) slash = rest.size();
        parts.push_back(rest.substr(start, slash - start));
        start = slash + 1;
    }
    if (parts.empty() || parts[0].empty()) return kInvalid;  // no namespace: outside any
    for (size_t i = 1; i < parts.size(); ++i) {
        if (parts[i].empty()) return kInvalid;  // "//" in a path
        int status = checkName(parts[i]);
        if (status != kOk) return status;
    }
    location->nsName = parts[0];
    location->components.assign(parts.begin() + 1, parts.end());
    return findNamespace(location->nsName, false, &location->nsId);
}

bool NamespaceStore::loadNode(int64_t id, Node *node) {
    Statement query = db().prepare((std::string("SELECT ") + kNodeColumns + " FROM nodes WHERE id = ?").c_str());
    query.bind(1, id);
    if (!query.step()) return false;
    *node = readNode(query);
    return true;
}

// The node `depth` components down from the namespace root.  Every node
// keeps the path of its folder (`dir`, indexed), so a path that is there
// is one lookup however deep it lies; only one that is not is walked
// component by component, to tell a missing component from one that is
// not a folder.
int NamespaceStore::resolve(const Location &location, size_t depth, Node *node) {
    if (depth > 0) {
        std::string dir;
        for (size_t i = 0; i + 1 < depth; ++i) dir += "/" + location.components[i];
        Statement direct = db().prepare((std::string("SELECT ") + kNodeColumns +
                                         " FROM nodes WHERE ns_id = ? AND kind IN (?, ?) AND dir = ? AND name = ?")
                                            .c_str());
        direct.bind(1, location.nsId)
            .bind(2, static_cast<int64_t>(kFolder))
            .bind(3, static_cast<int64_t>(kJunction))
            .bind(4, dir)
            .bind(5, location.components[depth - 1]);
        if (direct.step()) {
            *node = readNode(direct);
            return kOk;
        }
    }
    Statement root = db().prepare(
        (std::string("SELECT ") + kNodeColumns + " FROM nodes WHERE ns_id = ? AND parent_id IS NULL").c_str());
    root.bind(1, location.nsId);
    if (!root.step()) return kNotANamespace;
    Node current = readNode(root);
    for (size_t i = 0; i < depth; ++i) {
        if (current.kind != kFolder) return kNotADirectory;
        Statement child = db().prepare(
            (std::string("SELECT ") + kNodeColumns + " FROM nodes WHERE parent_id = ? AND name = ?").c_str());
        child.bind(1, current.id).bind(2, location.components[i]);
        if (!child.step()) return kNoSuchObject;
        current = readNode(child);
    }
    *node = current;
    return kOk;
}

int NamespaceStore::resolvePath(const std::string &path, Node *node) {
    Location location;
    int status = locate(path, &location);
    if (status != kOk) return status;
    return resolve(location, location.components.size(), node);
}

bool NamespaceStore::childExists(int64_t parentId, const std::string &name) {
    Statement query = db().prepare("SELECT 1 FROM nodes WHERE parent_id = ? AND name = ?");
    query.bind(1, parentId).bind(2, name);
    return query.step();
}

int64_t NamespaceStore::insertNode(const Node &n) {
    Statement insert = db().prepare(
        "INSERT INTO nodes(ns_id, parent_id, name, kind, size, created, modified, accessed, target_server, "
        "target_volume, target_path, target_type, dir) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?)");
    insert.bind(1, n.nsId);
    if (n.parentId == 0) {
        insert.bindNull(2).bindNull(13);
    } else {
        insert.bind(2, n.parentId).bind(13, n.dir);
    }
    insert.bind(3, n.name).bind(4, static_cast<int64_t>(n.kind)).bind(5, n.size);
    insert.bind(6, n.created).bind(7, n.modified).bind(8, n.accessed);
    if (n.kind == kJunction) {
        insert.bind(9, n.targetServer).bind(10, n.targetVolume).bind(11, n.targetPath);
        insert.bind(12, static_cast<int64_t>(n.targetType));
    } else {
        insert.bindNull(9).bindNull(10).bindNull(11).bindNull(12);
    }
    insert.run();
    return db().lastInsertId();
}

void NamespaceStore::touch(int64_t nodeId) {
    Statement update = db().prepare("UPDATE nodes SET modified = ? WHERE id = ?");
    update.bind(1, now()).bind(2, nodeId).run();
}

// ---- listing order -------------------------------------------------------------

// Adds `delta` to the count of the run holding a junction's key; splits a
// run grown past twice its size and drops one left empty (but never the
// first, which starts below every key).
void NamespaceStore::countJunction(const Node &junction, int delta) {
    db().prepare("UPDATE namespaces SET junctions = junctions + ?, listing_version = listing_version + 1 WHERE id = ?")
        .bind(1, static_cast<int64_t>(delta))
        .bind(2, junction.nsId)
        .run();
    Statement run = db().prepare(
        "SELECT first_dir, first_name, count FROM listing_pages "
        "WHERE ns_id = ?1 AND (first_dir, first_name) <= (?2, ?3) ORDER BY first_dir DESC, first_name DESC LIMIT 1");
    run.bind(1, junction.nsId).bind(2, junction.dir).bind(3, junction.name);
    if (!run.step()) throw DbError("no listing run holds " + junction.dir + "/" + junction.name);
    const std::string firstDir = run.text(0), firstName = run.text(1);
    const int64_t count = run.integer(2) + delta;
    if (count == 0 && !(firstDir.empty() && firstName.empty())) {
        db().prepare("DELETE FROM listing_pages WHERE ns_id = ? AND first_dir = ? AND first_name = ?")
            .bind(1, junction.nsId)
            .bind(2, firstDir)
            .bind(3, firstName)
            .run();
        return;
    }
    setRunCount(junction.nsId, firstDir, firstName, count);
    if (count > 2 * kPageRows) splitRun(junction.nsId, firstDir, firstName, count);
}

void NamespaceStore::setRunCount(int64_t nsId, const std::string &firstDir, const std::string &firstName,
                                 int64_t count) {
    db().prepare("UPDATE listing_pages SET count = ? WHERE ns_id = ? AND first_dir = ? AND first_name = ?")
        .bind(1, count)
        .bind(2, nsId)
        .bind(3, firstDir)
        .bind(4, firstName)
        .run();
}

// Cuts a run in two at its middle junction.
void NamespaceStore::splitRun(int64_t nsId, const std::string &firstDir, const std::string &firstName,
                              int64_t count) {
    Statement middle = db().prepare(
        "SELECT dir, name FROM nodes WHERE ns_id = ?1 AND kind = 2 AND (dir, name) >= (?2, ?3) "
        "ORDER BY dir, name LIMIT 1 OFFSET ?4");
    middle.bind(1, nsId).bind(2, firstDir).bind(3, firstName).bind(4, count / 2);
    if (!middle.step()) throw DbError("listing run of " + firstDir + "/" + firstName + " has fewer junctions");
    setRunCount(nsId, firstDir, firstName, count / 2);
    db().prepare("INSERT INTO listing_pages(ns_id, first_dir, first_name, count) VALUES(?,?,?,?)")
        .bind(1, nsId)
        .bind(2, middle.text(0))
        .bind(3, middle.text(1))
        .bind(4, count - count / 2)
        .run();
}

// Gives a renamed or moved node its new folder path and name, and every
// node below a folder its new path, keeping the runs counted.
void NamespaceStore::relocate(const Node &node, const std::string &newDir, const std::string &newName) {
    auto place = [&](const Node &moved, const std::string &dir, const std::string &name) {
        if (moved.kind == kJunction) countJunction(moved, -1);
        db().prepare("UPDATE nodes SET dir = ?, name = ? WHERE id = ?")
            .bind(1, dir)
            .bind(2, name)
            .bind(3, moved.id)
            .run();
        if (moved.kind != kJunction) return;
        Node placed = moved;
        placed.dir = dir;
        placed.name = name;
        countJunction(placed, +1);
    };
    place(node, newDir, newName);
    if (node.kind != kFolder) return;

    const std::string oldPath = node.dir + "/" + node.name, newPath = newDir + "/" + newName;
    std::vector<Node> below;
    for (int kind : {kFolder, kJunction}) {
        // Every dir from oldPath up to oldPath + "0" ('/' + 1): the folder's
        // own entries and those deeper, among a few others skipped here.
        Statement query = db().prepare((std::string("SELECT ") + kNodeColumns +
                                        " FROM nodes WHERE ns_id = ?1 AND kind = ?2 AND dir >= ?3 AND dir < ?4")
                                           .c_str());
        query.bind(1, node.nsId).bind(2, static_cast<int64_t>(kind)).bind(3, oldPath).bind(4, oldPath + "0");
        while (query.step()) {
            Node n = readNode(query);
            if (n.dir == oldPath || n.dir.compare(0, oldPath.size() + 1, oldPath + "/") == 0) below.push_back(n);
        }
    }
    for (const Node &n : below) place(n, newPath + n.dir.substr(oldPath.size()), n.name);
}

// ---- namespaces ------------------------------------------------------------

int NamespaceStore::createNamespace(const trvnamespace::CreateNamespaceInput &in) {
    WriteSession session(*this);
    int status = checkNamespaceName(in.name());
    if (status == kOk) status = checkText(in.attribute1());
    if (status != kOk) return status;
    return inTransaction(db(), [&] {
        if (db().prepare("SELECT 1 FROM namespaces WHERE name = ?").bind(1, in.name()).step()) return kExists;
        int64_t created = now();
        // A purged namespace's id can come back: a random first listing
        // version keeps readers from taking the old one's runs for its own.
        Statement insert = db().prepare(
            "INSERT INTO namespaces(name, trvns_attr, created, listing_version) "
            "VALUES(?, ?, ?, abs(random() % 4611686018427387904))");
        insert.bind(1, in.name()).bind(2, in.attribute1()).bind(3, created).run();
        Node root;
        root.nsId = db().lastInsertId();
        root.kind = kFolder;
        root.created = root.modified = root.accessed = created;
        insertNode(root);
        db().prepare("INSERT INTO listing_pages(ns_id, first_dir, first_name, count) VALUES(?, '', '', 0)")
            .bind(1, root.nsId)
            .run();
        return kOk;
    });
}

int NamespaceStore::deleteNamespace(const std::string &name) {
    WriteSession session(*this);
    return inTransaction(db(), [&] {
        int64_t id = 0;
        int status = findNamespace(name, false, &id);
        if (status != kOk) return status;
        db().prepare("UPDATE namespaces SET deleted = 1 WHERE id = ?").bind(1, id).run();
        return kOk;
    });
}

int NamespaceStore::salvageNamespace(const std::string &name) {
    WriteSession session(*this);
    return inTransaction(db(), [&] {
        int64_t id = 0;
        int status = findNamespace(name, true, &id);  // only a deleted namespace can be salvaged
        if (status != kOk) return status;
        db().prepare("UPDATE namespaces SET deleted = 0 WHERE id = ?").bind(1, id).run();
        return kOk;
    });
}

int NamespaceStore::purgeNamespace(const std::string &name) {
    WriteSession session(*this);
    return inTransaction(db(), [&] {
        Statement query = db().prepare("SELECT id FROM namespaces WHERE name = ?");
        query.bind(1, name);
        if (!query.step()) return kNotANamespace;
        int64_t id = query.integer(0);
        db().prepare("DELETE FROM namespaces WHERE id = ?").bind(1, id).run();
        return kOk;
    });
}

int NamespaceStore::getNamespaces(trvnamespace::GetNamespacesReply *reply) {
    ReadSession session(*this);
    Statement query = db().prepare(
        "SELECT n.id, n.name, n.cifs_attr, n.trvns_attr, n.flags, n.created, "
        "n.junctions FROM namespaces n WHERE deleted = 0 "
        "ORDER BY n.name");
    while (query.step()) {
        trvnamespace::Namespace *ns = reply->add_namespaces();
        ns->set_name(query.text(1));
        ns->set_cifsattr(query.text(2));
        ns->set_trvnsattr(query.text(3));
        ns->set_flags(static_cast<uint32_t>(query.integer(4)));
        ns->set_number1(query.integer(0));  // namespace id
        ns->set_number2(query.integer(5));  // creation time
        ns->set_number3(query.integer(6));  // junction count
    }
    return kOk;
}

int NamespaceStore::getCifsAttr(const std::string &name, std::string *attr) {
    ReadSession session(*this);
    Statement query = db().prepare("SELECT cifs_attr FROM namespaces WHERE name = ? AND deleted = 0");
    query.bind(1, name);
    if (!query.step()) return kNotANamespace;
    *attr = query.text(0);
    return kOk;
}

int NamespaceStore::setCifsAttr(const std::string &name, const std::string &attr) {
    WriteSession session(*this);
    if (checkText(attr) != kOk) return kInvalid;
    return inTransaction(db(), [&] {
        int64_t id = 0;
        int status = findNamespace(name, false, &id);
        if (status != kOk) return status;
        db().prepare("UPDATE namespaces SET cifs_attr = ? WHERE id = ?").bind(1, attr).bind(2, id).run();
        return kOk;
    });
}

// ---- folders and junctions ---------------------------------------------------

int NamespaceStore::createFolder(const std::string &path) {
    WriteSession session(*this);
    return inTransaction(db(), [&] {
        Location location;
        int status = locate(path, &location);
        if (status != kOk) return status;
        if (location.components.empty()) return kNameTaken;  // the namespace root exists
        Node parent;
        status = resolve(location, location.components.size() - 1, &parent);
        if (status == kNoSuchObject || status == kNotADirectory) return kNotADirectory;
        if (status != kOk) return status;
        if (parent.kind != kFolder) return kNotADirectory;
        const std::string &name = location.components.back();
        if (childExists(parent.id, name)) return kNameTaken;
        Node folder;
        folder.nsId = location.nsId;
        folder.parentId = parent.id;
        folder.dir = pathOf(parent);
        folder.name = name;
        folder.kind = kFolder;
        folder.created = folder.modified = folder.accessed = now();
        insertNode(folder);
        touch(parent.id);
        return kOk;
    });
}

std::string NamespaceStore::resolveTargetServer(int64_t nsId, const std::string &server, const std::string &volume) {
    if (!server.empty()) return server;
    // A YAR junction without a server takes the server its volume was
    // registered with, if exactly one is known.
    Statement query = db().prepare("SELECT DISTINCT server FROM volumes WHERE ns_id = ? AND name = ?");
    query.bind(1, nsId).bind(2, volume);
    std::string found;
    int count = 0;
    while (query.step()) {
        found = query.text(0);
        ++count;
    }
    return count == 1 ? found : std::string();
}

int NamespaceStore::createJunction(const trvnamespace::CreateJunctionInput &in) {
    WriteSession session(*this);
    return inTransaction(db(), [&] {
        Node parent;
        int status = resolvePath(in.dirpath(), &parent);
        if (status == kNoSuchObject || status == kNotADirectory) return kNotADirectory;
        if (status != kOk) return status;
        if (parent.kind != kFolder) return kNotADirectory;
        status = checkName(in.junctionname());
        if (status != kOk) return status;
        status = checkName(in.targetvolume());
        if (status != kOk) return status;
        if (!in.targetpath().empty() && in.targetpath()[0] != '/') return kInvalid;
        status = checkTexts(in.targetserver(), in.targetpath());
        if (status != kOk) return status;
        int type = targetTypeCode(in.targettype());
        if (type == kUnknownType) return kUnsupported;
        if (type == kNonYar && in.targetserver().empty()) return kInvalidTarget;
        if (childExists(parent.id, in.junctionname())) return kExists;
        Node junction;
        junction.nsId = parent.nsId;
        junction.parentId = parent.id;
        junction.dir = pathOf(parent);
        junction.name = in.junctionname();
        junction.kind = kJunction;
        junction.created = junction.modified = junction.accessed = now();
        junction.targetServer = resolveTargetServer(parent.nsId, in.targetserver(), in.targetvolume());
        junction.targetVolume = in.targetvolume();
        junction.targetPath = in.targetpath().empty() ? "/" : in.targetpath();
        junction.targetType = type;
        insertNode(junction);
        countJunction(junction, +1);
        touch(parent.id);
        return kOk;
    });
}

int NamespaceStore::remove(const std::string &path) {
    WriteSession session(*this);
    return inTransaction(db(), [&] {
        Node node;
        int status = resolvePath(path, &node);
        if (status != kOk) return status;
        if (node.parentId == 0) return kInvalid;  // a namespace is purged, not removed
        if (node.kind == kFolder && db().prepare("SELECT 1 FROM nodes WHERE parent_id = ?").bind(1, node.id).step()) {
            return kNotPermittedOld;  // not empty
        }
        db().prepare("DELETE FROM nodes WHERE id = ?").bind(1, node.id).run();
        if (node.kind == kJunction) countJunction(node, -1);
        touch(node.parentId);
        return kOk;
    });
}

int NamespaceStore::rename(const std::string &path, const std::string &newName) {
    WriteSession session(*this);
    return inTransaction(db(), [&] {
        Node node;
        int status = resolvePath(path, &node);
        if (status != kOk) return status;
        if (node.parentId == 0) return kInvalid;
        status = checkName(newName);
        if (status != kOk) return status;
        if (newName == node.name) return kOk;
        if (childExists(node.parentId, newName)) return kNameTaken;
        db().prepare("UPDATE nodes SET modified = ? WHERE id = ?").bind(1, now()).bind(2, node.id).run();
        relocate(node, node.dir, newName);
        touch(node.parentId);
        return kOk;
    });
}

int NamespaceStore::move(const std::string &source, const std::string &target) {
    WriteSession session(*this);
    return inTransaction(db(), [&] {
        Node node;
        int status = resolvePath(source, &node);
        if (status != kOk) return status;
        if (node.parentId == 0) return kInvalid;
        Node folder;
        status = resolvePath(target, &folder);
        if (status == kNoSuchObject || status == kNotADirectory) return kNotADirectory;
        if (status != kOk) return status;
        if (folder.kind != kFolder) return kNotADirectory;
        if (folder.nsId != node.nsId) return kInvalid;  // never across namespaces
        // Never into its own subtree.
        for (Node up = folder;; ) {
            if (up.id == node.id) return kInvalid;
            if (up.parentId == 0 || !loadNode(up.parentId, &up)) break;
        }
        if (folder.id == node.parentId) return kOk;
        if (childExists(folder.id, node.name)) return kNameTaken;
        db().prepare("UPDATE nodes SET parent_id = ? WHERE id = ?").bind(1, folder.id).bind(2, node.id).run();
        relocate(node, pathOf(folder), node.name);
        touch(folder.id);
        touch(node.parentId);
        return kOk;
    });
}

// ---- reading -----------------------------------------------------------------

int NamespaceStore::objStat(const std::string &path, trvnamespace::ObjStatReply *reply) {
    ReadSession session(*this);
    Node node;
    int status = resolvePath(path, &node);
    if (status != kOk) return status;
    fillMetadata(reply->add_metadata(), node);
    reply->set_isdir(node.kind == kFolder ? 1 : 0);
    int64_t count = 1;
    if (node.kind == kFolder) {
        Statement children = db().prepare("SELECT COUNT(*) FROM nodes WHERE parent_id = ?");
        children.bind(1, node.id);
        count = children.step() ? children.integer(0) : 0;
    }
    reply->set_elementcount(count);
    return kOk;
}

// Nodes of a namespace on which `uid` holds a trustee grant.
std::vector<int64_t> NamespaceStore::grantedNodes(int64_t nsId, uint32_t uid) {
    std::vector<int64_t> granted;
    Statement query =
        db().prepare("SELECT t.node_id, t.name FROM trustees t JOIN nodes n ON n.id = t.node_id WHERE n.ns_id = ?");
    query.bind(1, nsId);
    while (query.step()) {
        uint32_t trusteeUid = 0;
        if (uidOf(query.text(1), &trusteeUid) && trusteeUid == uid) granted.push_back(query.integer(0));
    }
    return granted;
}

// A trustee name's uid, looked up once per name for kUidLifetime: one
// listing names the same trustees again and again.
bool NamespaceStore::uidOf(const std::string &name, uint32_t *uid) {
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard<std::mutex> lock(uidsMutex_);
    if (now - uidsFilled_ > kUidLifetime) {
        uids_.clear();
        uidsFilled_ = now;
    }
    auto found = uids_.find(name);
    if (found == uids_.end()) {
        KnownUid known;
        known.found = lookup_ && lookup_(name, &known.uid);
        found = uids_.emplace(name, known).first;
    }
    *uid = found->second.uid;
    return found->second.found;
}

int NamespaceStore::dirStat(const std::string &path, uint32_t uid, trvnamespace::DirStatReply *reply) {
    ReadSession session(*this);
    Node folder;
    int status = resolvePath(path, &folder);
    if (status == kNoSuchObject) return kNoSuchPath;
    if (status != kOk) return status;
    if (folder.kind != kFolder) return kNotADirectory;

    // A user sees an entry granted to them, everything below a grant, and
    // the folders that lead to a grant.
    bool seesAll = uid == 0;
    std::set<int64_t> leadsToGrant;
    if (!seesAll) {
        std::set<int64_t> granted;
        for (int64_t id : grantedNodes(folder.nsId, uid)) granted.insert(id);
        for (Node up = folder;; ) {
            if (granted.count(up.id) != 0) seesAll = true;
            if (up.parentId == 0 || !loadNode(up.parentId, &up)) break;
        }
        for (int64_t id : granted) {
            Node up;
            for (bool found = loadNode(id, &up); found; found = up.parentId != 0 && loadNode(up.parentId, &up)) {
                leadsToGrant.insert(up.id);
            }
        }
    }
    Statement children = db().prepare(
        (std::string("SELECT ") + kNodeColumns + " FROM nodes WHERE parent_id = ? ORDER BY name").c_str());
    children.bind(1, folder.id);
    while (children.step()) {
        Node child = readNode(children);
        if (seesAll || leadsToGrant.count(child.id) != 0) fillMetadata(reply->add_metadata(), child);
    }
    reply->set_isdir(1);
    return kOk;
}

int NamespaceStore::listContents(const std::string &path, trvnamespace::ListContentsReply *reply) {
    ReadSession session(*this);
    Node folder;
    int status = resolvePath(path, &folder);
    if (status != kOk) return status;
    if (folder.kind != kFolder) return kNotADirectory;
    Statement children = db().prepare("SELECT name, kind FROM nodes WHERE parent_id = ? ORDER BY name");
    children.bind(1, folder.id);
    while (children.step()) {
        if (children.integer(1) == kFolder) {
            reply->add_firstnames(children.text(0));
        } else {
            reply->add_secondnames(children.text(0));
        }
    }
    return kOk;
}

int NamespaceStore::junctionTarget(const std::string &path, trvnamespace::GetJunctionTargetReply *reply) {
    ReadSession session(*this);
    Node node;
    int status = resolvePath(path, &node);
    if (status != kOk) return status;
    if (node.kind != kJunction) return kInvalidTarget;
    trvnamespace::Target *target = reply->add_targets();
    target->set_server(node.targetServer);
    target->set_volume(node.targetVolume);
    target->set_path(node.targetPath);
    target->set_type(static_cast<trvnamespace::TargetType>(node.targetType));
    target->set_status(trvnamespace::TARGET_STATUS_ONE);
    return kOk;
}

int NamespaceStore::listAll(const std::string &nameSpace, int32_t pageNum, int32_t pageSize, const JunctionRow &row,
                            int64_t *totalJunctions) {
    ReadSession session(*this);
    std::string name = nameSpace;
    if (!name.empty() && name[0] == '/') name.erase(0, 1);
    int64_t nsId = 0;
    int status = findNamespace(name, false, &nsId);
    if (status != kOk) return status;
    if (pageNum < 0) return kBadPageNumber;
    if (pageSize < 0 || pageSize > kMaxPageSize || (pageNum > 0 && pageSize == 0)) return kBadPageSize;
    Statement count = db().prepare("SELECT junctions, listing_version FROM namespaces WHERE id = ?");
    count.bind(1, nsId);
    if (!count.step()) return kNotANamespace;
    const int64_t total = count.integer(0), version = count.integer(1);
    int64_t limit = pageSize > 0 ? pageSize : total;
    int64_t page = pageNum > 0 ? pageNum : 1;
    int64_t pages = pageSize > 0 ? std::max<int64_t>(1, (total + pageSize - 1) / pageSize) : 1;
    if (page > pages) return kBadPageNumber;

    // The run holding the first junction of the page, and how far into it.
    int64_t skip = (page - 1) * limit;
    std::shared_ptr<const RunIndex> index = runIndex(nsId, version);
    // The last run starting at or before the page's first junction.
    auto after = std::upper_bound(index->starts.begin(), index->starts.end(), skip);
    size_t run = static_cast<size_t>(after - index->starts.begin()) - 1;
    const std::string &firstDir = index->dirs[run], &firstName = index->names[run];
    skip -= index->starts[run];
    Statement rows = db().prepare(
        "SELECT dir, name, target_server, target_volume, target_path FROM nodes "
        "WHERE ns_id = ?1 AND kind = 2 AND (dir, name) >= (?2, ?3) ORDER BY dir, name LIMIT ?4 OFFSET ?5");
    rows.bind(1, nsId).bind(2, firstDir).bind(3, firstName).bind(4, limit).bind(5, skip);
    const std::string prefix = trvns::namespaceRoot(name);
    std::string folderName, junctionName, targetPath;
    while (rows.step()) {
        folderName = prefix + rows.text(0);
        junctionName = rows.text(1);
        targetPath = rows.text(2) + "/" + rows.text(3) + rows.text(4);
        row(folderName, junctionName, targetPath);
    }
    *totalJunctions = total;
    return kOk;
}

// The runs of a namespace as they are at `version`: read once per version.
std::shared_ptr<const NamespaceStore::RunIndex> NamespaceStore::runIndex(int64_t nsId, int64_t version) {
    {
        std::lock_guard<std::mutex> lock(runIndexMutex_);
        auto found = runIndexes_.find(nsId);
        if (found != runIndexes_.end() && found->second->version == version) return found->second;
    }
    auto index = std::make_shared<RunIndex>();
    index->version = version;
    Statement runs = db().prepare(
        "SELECT first_dir, first_name, count FROM listing_pages WHERE ns_id = ? ORDER BY first_dir, first_name");
    runs.bind(1, nsId);
    int64_t start = 0;
    while (runs.step()) {
        index->dirs.push_back(runs.text(0));
        index->names.push_back(runs.text(1));
        index->starts.push_back(start);
        start += runs.integer(2);
    }
    if (index->starts.empty()) throw DbError("no listing runs for namespace " + std::to_string(nsId));
    std::lock_guard<std::mutex> lock(runIndexMutex_);
    runIndexes_[nsId] = index;
    return index;
}

// ---- trustees ------------------------------------------------------------------

int NamespaceStore::trusteeGrant(const std::string &path, const trvnamespace::Trustee &trustee) {
    WriteSession session(*this);
    if (trustee.name().empty() || trustee.name().size() > 1024) return kTooLong;
    if (checkTexts(trustee.name(), trustee.guid()) != kOk) return kInvalid;
    return inTransaction(db(), [&] {
        Node node;
        int status = resolvePath(path, &node);
        if (status != kOk) return status;
        if (db().prepare("SELECT 1 FROM trustees WHERE node_id = ? AND name = ?")
                .bind(1, node.id)
                .bind(2, trustee.name())
                .step()) {
            return kAlreadyTrustee;
        }
        db().prepare("INSERT INTO trustees(node_id, name, guid, type, rights) VALUES(?,?,?,?,?)")
            .bind(1, node.id)
            .bind(2, trustee.name())
            .bind(3, trustee.guid())
            .bind(4, static_cast<int64_t>(trustee.type()))
            .bind(5, static_cast<int64_t>(trustee.rights()))
            .run();
        return kOk;
    });
}

int NamespaceStore::trusteeRevoke(const std::string &path, const std::string &name) {
    WriteSession session(*this);
    return inTransaction(db(), [&] {
        Node node;
        int status = resolvePath(path, &node);
        if (status != kOk) return status;
        db().prepare("DELETE FROM trustees WHERE node_id = ? AND name = ?").bind(1, node.id).bind(2, name).run();
        return db().changes() == 0 ? kNoSuchObject : kOk;
    });
}

int NamespaceStore::trusteeList(const std::string &path, trvnamespace::TrusteeListReply *reply) {
    ReadSession session(*this);
    Node node;
    int status = resolvePath(path, &node);
    if (status != kOk) return status;
    Statement query = db().prepare("SELECT name, guid, type, rights FROM trustees WHERE node_id = ? ORDER BY name");
    query.bind(1, node.id);
    while (query.step()) {
        trvnamespace::Trustee *t = reply->add_trustees();
        t->set_name(query.text(0));
        t->set_guid(query.text(1));
        t->set_type(static_cast<int32_t>(query.integer(2)));
        t->set_rights(static_cast<int32_t>(query.integer(3)));
    }
    return kOk;
}

// ---- target volumes -------------------------------------------------------------

namespace {

// Volume records that match a name and, when given, a server and a type.
constexpr char kVolumeMatch[] =
    "FROM volumes WHERE name = ?1 AND (?2 = '' OR server = ?2) AND (?3 = '' OR UPPER(type) = UPPER(?3))";

}  // namespace

int NamespaceStore::addVolume(const trvnamespace::AddVolumeEntryInput &in) {
    WriteSession session(*this);
    if (in.volumename().empty() || checkName(in.volumename()) != kOk) return kUnsupported;
    int type = targetTypeCode(in.targettype());
    if (type == kUnknownType) return kInvalidTargetType;
    if (type == kNonYar && in.servername().empty()) return kWrongTarget;
    if (checkText(in.servername()) != kOk) return kInvalid;
    const std::string typeText = type == kYar ? "YAR" : "NON-YAR";
    return inTransaction(db(), [&] {
        std::vector<int64_t> targets;
        if (!in.namespace_().empty()) {
            int64_t id = 0;
            int status = findNamespace(in.namespace_(), false, &id);
            if (status != kOk) return status;
            targets.push_back(id);
        } else {
            Statement all = db().prepare("SELECT id FROM namespaces WHERE deleted = 0");
            while (all.step()) targets.push_back(all.integer(0));
        }
        int added = 0;
        for (int64_t nsId : targets) {
            Statement insert = db().prepare("INSERT OR IGNORE INTO volumes(ns_id, name, server, type) VALUES(?,?,?,?)");
            insert.bind(1, nsId).bind(2, in.volumename()).bind(3, in.servername()).bind(4, typeText).run();
            added += db().changes();
        }
        return added == 0 ? kTargetExists : kOk;
    });
}

int NamespaceStore::modifyVolume(const trvnamespace::ModifyVolumeEntryInput &in) {
    WriteSession session(*this);
    if (checkName(in.newvolumename()) != kOk) return kUnsupported;
    return inTransaction(db(), [&] {
        Statement distinct = db().prepare((std::string("SELECT COUNT(DISTINCT server || '|' || type) ") +
                                          kVolumeMatch).c_str());
        distinct.bind(1, in.oldvolumename()).bind(2, in.servername()).bind(3, in.targettype());
        int64_t kinds = distinct.step() ? distinct.integer(0) : 0;
        if (kinds == 0) return kNoVolumeRecord;
        if (kinds > 1) return kMultipleRecords;
        Statement clash = db().prepare(
            (std::string("SELECT 1 FROM volumes v WHERE v.name = ?4 AND EXISTS (SELECT 1 ") + kVolumeMatch +
             " AND ns_id = v.ns_id AND server = v.server AND type = v.type)").c_str());
        clash.bind(1, in.oldvolumename()).bind(2, in.servername()).bind(3, in.targettype()).bind(4, in.newvolumename());
        if (clash.step()) return kTargetExists;
        Statement update = db().prepare((std::string("UPDATE volumes SET name = ?4 WHERE id IN (SELECT id ") +
                                        kVolumeMatch + ")").c_str());
        update.bind(1, in.oldvolumename()).bind(2, in.servername()).bind(3, in.targettype()).bind(4, in.newvolumename());
        update.run();
        return kOk;
    });
}

int NamespaceStore::removeVolume(const trvnamespace::RemoveVolumeEntryInput &in) {
    WriteSession session(*this);
    return inTransaction(db(), [&] {
        Statement distinct = db().prepare((std::string("SELECT COUNT(DISTINCT server || '|' || type) ") +
                                          kVolumeMatch).c_str());
        distinct.bind(1, in.volumename()).bind(2, in.servername()).bind(3, in.targettype());
        int64_t kinds = distinct.step() ? distinct.integer(0) : 0;
        if (kinds == 0) return kNoVolumeRecord;
        if (kinds > 1) return kMultipleRecords;
        Statement remove = db().prepare((std::string("DELETE ") + kVolumeMatch).c_str());
        remove.bind(1, in.volumename()).bind(2, in.servername()).bind(3, in.targettype()).run();
        return kOk;
    });
}

}  // namespace nsserver
