// A thin RAII layer over SQLite: one connection, prepared statements and
// transactions.
#ifndef TRVNS_SERVER_SQLITE_DB_H
#define TRVNS_SERVER_SQLITE_DB_H

#include <sqlite3.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace nsserver {

class DbError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Statement {
public:
    Statement(sqlite3 *db, const char *sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    Statement &bind(int index, int64_t value);
    Statement &bind(int index, const std::string &value);
    Statement &bindNull(int index);
    // True while a row is available.
    bool step();
    // Runs a statement that returns no rows.
    void run();
    int64_t integer(int column) const;
    std::string text(int column) const;
    bool isNull(int column) const;

private:
    sqlite3 *db_;
    sqlite3_stmt *statement_ = nullptr;
};

class Database {
public:
    static constexpr bool kReadOnly = true;
    explicit Database(const std::string &path, bool readOnly = false);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    void execute(const char *sql);
    Statement prepare(const char *sql) { return Statement(db_, sql); }
    int64_t lastInsertId() const { return sqlite3_last_insert_rowid(db_); }
    int changes() const { return sqlite3_changes(db_); }
    // Replaces this database with a snapshot of `source`, taken in one step.
    void backupFrom(Database &source);

private:
    sqlite3 *db_ = nullptr;
};

// One write transaction: committed by commit(), rolled back otherwise.
class Transaction {
public:
    explicit Transaction(Database &db);
    ~Transaction();
    void commit();

private:
    Database &db_;
    bool done_ = false;
};

}  // namespace nsserver

#endif
