// The server's database schema as it was before the server kept a schema
// version (PRAGMA user_version 0): the starting point of the migration test
// and of the server benchmark's databases, which the server migrates.
#ifndef TRVNS_TEST_UNVERSIONED_SCHEMA_H
#define TRVNS_TEST_UNVERSIONED_SCHEMA_H

constexpr char kUnversionedSchema[] = R"sql(
CREATE TABLE namespaces(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, deleted INTEGER NOT NULL DEFAULT 0,
    cifs_attr TEXT NOT NULL DEFAULT '', trvns_attr TEXT NOT NULL DEFAULT '', flags INTEGER NOT NULL DEFAULT 0,
    created INTEGER NOT NULL);
CREATE TABLE nodes(id INTEGER PRIMARY KEY, ns_id INTEGER NOT NULL REFERENCES namespaces(id) ON DELETE CASCADE,
    parent_id INTEGER REFERENCES nodes(id) ON DELETE CASCADE, name TEXT NOT NULL, kind INTEGER NOT NULL,
    size INTEGER NOT NULL DEFAULT 0, created INTEGER NOT NULL, modified INTEGER NOT NULL, accessed INTEGER NOT NULL,
    target_server TEXT, target_volume TEXT, target_path TEXT, target_type INTEGER);
CREATE UNIQUE INDEX nodes_by_parent ON nodes(parent_id, name);
CREATE INDEX nodes_by_namespace ON nodes(ns_id, kind);
CREATE TABLE trustees(node_id INTEGER NOT NULL REFERENCES nodes(id) ON DELETE CASCADE, name TEXT NOT NULL,
    guid TEXT NOT NULL DEFAULT '', type INTEGER NOT NULL DEFAULT 0, rights INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY(node_id, name));
CREATE TABLE volumes(id INTEGER PRIMARY KEY, ns_id INTEGER NOT NULL REFERENCES namespaces(id) ON DELETE CASCADE,
    name TEXT NOT NULL, server TEXT NOT NULL, type TEXT NOT NULL, UNIQUE(ns_id, name, server, type));
)sql";

#endif
