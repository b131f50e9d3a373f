// Writes the empty seed database that the first run copies into the data folder.
// AUTOINCREMENT so that ids of deleted rows are never handed out again.
#include <sqlite3.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_blank_db OUTPUT\n");
        return 2;
    }
    std::remove(argv[1]);
    sqlite3* db = nullptr;
    if (sqlite3_open(argv[1], &db) != SQLITE_OK) {
        std::fprintf(stderr, "make_blank_db: %s\n", sqlite3_errmsg(db));
        sqlite3_close(db);
        return 1;
    }
    char* error = nullptr;
    const int rc = sqlite3_exec(db,
                                "CREATE TABLE tblBirthday ("
                                "id INTEGER PRIMARY KEY AUTOINCREMENT, "
                                "Person TEXT, BirthMonth SMALLINT, BirthDay SMALLINT)",
                                nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        std::fprintf(stderr, "make_blank_db: %s\n", error ? error : "unknown error");
        sqlite3_free(error);
        sqlite3_close(db);
        std::remove(argv[1]);
        return 1;
    }
    sqlite3_close(db);
    return 0;
}
