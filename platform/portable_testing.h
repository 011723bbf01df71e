// Test controls of the portable platform: the executable path the library
// sees, a fixed clock, and injected failures of file operations, so that
// every failure path of a writer can be driven from a test.
#pragma once

#include <cstdint>
#include <vector>

namespace plat_testing {

// Executable path reported to the library, Windows-style (backslashes), for
// example "\\tmp\\t1\\host\\app.exe". Empty restores the real one.
void set_executable_path(const char* path);

// Fixes now_seconds(); pass a negative value to return to the real clock.
void set_now(int64_t seconds);

// Injected failures: the n-th (1-based) call of an operation from now on
// fails; 0 switches it off. Counters restart at every arm call.
enum class Op { open, write, close, rename, mkdir, read };
void fail_nth(Op op, int n);
// How many calls of an operation were made since the last reset.
int count_of(Op op);
void reset_faults();

// Files opened through the platform and not closed yet.
int open_files();

}  // namespace plat_testing
