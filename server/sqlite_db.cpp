#include "sqlite_db.h"

namespace nsserver {

Statement::Statement(sqlite3 *db, const char *sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK) {
        throw DbError(std::string("prepare failed: ") + sqlite3_errmsg(db) + " in " + sql);
    }
}

Statement::~Statement() { sqlite3_finalize(statement_); }

Statement &Statement::bind(int index, int64_t value) {
    sqlite3_bind_int64(statement_, index, value);
    return *this;
}

Statement &Statement::bind(int index, const std::string &value) {
    sqlite3_bind_text(statement_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement &Statement::bindNull(int index) {
    sqlite3_bind_null(statement_, index);
    return *this;
}

bool Statement::step() {
    int result = sqlite3_step(statement_);
    if (result == SQLITE_ROW) return true;
    if (result == SQLITE_DONE) return false;
    throw DbError(std::string("step failed: ") + sqlite3_errmsg(db_));
}

void Statement::run() {
    while (step()) {
    }
}

int64_t Statement::integer(int column) const { return sqlite3_column_int64(statement_, column); }

std::string Statement::text(int column) const {
    const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(statement_, column));
    return bytes ? std::string(bytes, static_cast<size_t>(sqlite3_column_bytes(statement_, column))) : std::string();
}

bool Statement::isNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }

Database::Database(const std::string &path, bool readOnly) {
    int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    if (sqlite3_open_v2(path.c_str(), &db_, flags | SQLITE_OPEN_FULLMUTEX, nullptr) != SQLITE_OK) {
        std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        throw DbError("cannot open database " + path + ": " + message);
    }
    sqlite3_busy_timeout(db_, 10000);
}

Database::~Database() { sqlite3_close(db_); }

void Database::execute(const char *sql) {
    char *error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw DbError(message + " in " + sql);
    }
}

void Database::backupFrom(Database &source) {
    sqlite3_backup *backup = sqlite3_backup_init(db_, "main", source.db_, "main");
    if (backup == nullptr) throw DbError(std::string("cannot start the backup: ") + sqlite3_errmsg(db_));
    int result = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (result != SQLITE_DONE) throw DbError(std::string("backup failed: ") + sqlite3_errstr(result));
}

Transaction::Transaction(Database &db) : db_(db) { db_.execute("BEGIN IMMEDIATE"); }

Transaction::~Transaction() {
    if (!done_) {
        try {
            db_.execute("ROLLBACK");
        } catch (...) {
        }
    }
}

void Transaction::commit() {
    db_.execute("COMMIT");
    done_ = true;
}

}  // namespace nsserver
