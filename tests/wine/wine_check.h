// The Wine suite's small test framework. The suite runs as a Windows program
// inside a scratch host directory: the program and TARVEX.dll lie in it, so
// the library's module_dir is that directory, and it is also the working
// directory where TARVEX.log lands. Each test calls the DLL through the
// exact symbols of its exports and checks result slots, files and log bytes.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "host/call_record.h"
#include "tests/expected_bytes.h"
#include "tools/harness/lib/chart.h"


struct WineTest {
    const char* name;
    void (*fn)();
};
int register_wine_test(const char* name, void (*fn)());

#define WINE_TEST(name)                                              \
    static void name();                                              \
    static int name##_registered = register_wine_test(#name, name); \
    static void name()

void report_failure(const char* file, int line, const std::string& what);
// Failed checks so far in this run (a long test stops early on a few).
int failure_count();

#define CHECK(cond) \
    do { if (!(cond)) report_failure(__FILE__, __LINE__, #cond); } while (0)
#define CHECK_EQ(a, b)                                                                           \
    do {                                                                                         \
        auto va_ = (a);                                                                          \
        auto vb_ = (b);                                                                          \
        if (!(va_ == vb_)) report_failure(__FILE__, __LINE__, std::string(#a " == " #b) + " (" + \
                                          show(va_) + " vs " + show(vb_) + ")");                 \
    } while (0)

inline std::string show(int v) { return std::to_string(v); }
inline std::string show(long v) { return std::to_string(v); }
inline std::string show(unsigned long v) { return std::to_string(v); }
inline std::string show(unsigned v) { return std::to_string(v); }
inline std::string show(float v) { return std::to_string(v); }
inline std::string show(double v) { return std::to_string(v); }
inline std::string show(bool v) { return v ? "true" : "false"; }
inline std::string show(const std::string& v) { return "\"" + v + "\""; }
inline std::string show(const char* v) { return v ? show(std::string(v)) : "null"; }
std::string show(const Bytes& v);

// Calls the export of `function` through the symbol the export list gives
// it; a missing symbol is a test failure (and returns -1).
int call(const char* function, Chart& chart);
int call_savedata0(const char* name, long time, const char* code, float value);
// Day bars flat at 10 with levels at bars 12 (14), 24 (6) and 36 (12), closes
// as parameter 1 and the look-back 5 and 50 bars: TlineAll and TDXlineAll
// mark levels on it.
void three_level_chart(Chart& c);
// A call to replay in a table row: a chart of `n` bars of `label`, set up by
// `make`, called; it reports "<return> <last slot>".
std::function<std::string()> chart_call(const char* fn, std::function<void(Chart&)> make, int n = 10,
                                        const char* label = "600000");

// The host directory with its trailing backslash, and a path below it.
std::string host_dir();
std::string host_path(const std::string& rel);  // rel with backslashes
void write_bytes(const std::string& rel, const Bytes& bytes);
void write_text(const std::string& rel, const std::string& text);
Bytes read_bytes(const std::string& rel);
bool file_exists(const std::string& rel);
void make_dirs(const std::string& rel);  // every missing level
void remove_file(const std::string& rel);

// Visits every entry below `dir` (which ends in a backslash), depth first:
// `visit(path, is_directory)` says whether to go into a directory.
void walk_tree(const std::string& dir, const std::function<bool(const std::string&, bool)>& visit);

// TARVEX.log in the working directory, and clearing it between checks.
std::string log_text();
void clear_log();

// Local time fields now, for checking clock exports.
void local_now(int* hour, int* minute, int* second);

