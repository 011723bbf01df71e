// SQLit3: the rows of the fixed table "yg" of "D:\StockData\yjyg.db" on
// standard output. SQLite is linked into the library (Debian's libsqlite3
// natively, its amalgamation in the DLL).
#include "formulas/sqlite_print.h"

#include <sqlite3.h>

#include "common/log.h"
#include "formulas/exports.h"
#include "host/export_guard.h"

const char kYjygDatabase[] = "D:\\StockData\\yjyg.db";
const char kYjygQuery[] = "select * from yg";

void print_query_rows(const char* db_path, const char* query, std::FILE* out) {
    sqlite3* db = nullptr;
    char** table = nullptr;
    int nrow = 0;
    int ncolumn = 0;
    // Never created: a missing file is an error, not a new empty database.
    // Opened for writing all the same, so that a database its writer left
    // in mid-transaction (a hot journal) is rolled back and read.
    if (sqlite3_open_v2(db_path, &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        log_line_str("SQLit3 打开数据库失败", db_path);
    } else {
        char* error = nullptr;
        if (sqlite3_get_table(db, query, &table, &nrow, &ncolumn, &error) != SQLITE_OK) {
            log_line_str("SQLit3 查询失败", error ? error : "");
            nrow = ncolumn = 0;
        }
        sqlite3_free(error);
    }
    std::fprintf(out, "row:%d column = %d \n", nrow, ncolumn);
    std::fprintf(out, "\nThe result of querying is : \n");
    if (table) {
        int texts = (nrow + 1) * ncolumn;
        for (int i = 0; i < texts; ++i) std::fprintf(out, "azResult[%d] = %s\n", i, table[i] ? table[i] : "");
    }
    std::fflush(out);
    sqlite3_free_table(table);
    sqlite3_close(db);  // also the handle of a failed open
}

int unguarded::SQLit3(tagCALCINFO* ci) {
    if (ci->param2) print_query_rows(kYjygDatabase, kYjygQuery, stdout);
    return -1;  // gives the formula no value
}
