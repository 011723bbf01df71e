// The SQLite print-out behind SQLit3: every row of one table of a database
// file, printed to a stream in the layout formula writers read on the host's
// console.
#pragma once

#include <cstdio>

// The fixed database and query of SQLit3.
extern const char kYjygDatabase[];  // "D:\StockData\yjyg.db"
extern const char kYjygQuery[];     // "select * from yg"

// Opens `db_path` read-only (it is never created or changed), runs `query`
// and prints "row:R column = C \n", "\nThe result of querying is : \n" and one
// "azResult[i] = text\n" line per column name and field. A database that
// cannot be opened or a query that fails prints zero rows and is logged; a
// NULL field prints as an empty text.
void print_query_rows(const char* db_path, const char* query, std::FILE* out);
