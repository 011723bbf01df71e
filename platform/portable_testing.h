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
enum class Op { open, write, close, rename, mkdir, read, flush, truncate };
void fail_nth(Op op, int n);
// How many calls of an operation were made since the last reset.
int count_of(Op op);
// Switches off injected failures, the crash point and held files.
void reset_faults();

// Ends the process with status kCrashExit at its k-th file operation from
// now on (opens, reads, writes, seeks, flushes, closes, renames, removals,
// listings, existence tests; a write there gets half of its bytes to the
// file first). 0 switches it off.
const int kCrashExit = 86;
void crash_at(int k);

// Plays another program holding `path` open (Windows-style path): a replace
// of it is refused as "in use", so is its removal, and when the holder
// shares reading only, it cannot be opened for writing either.
void hold_open(const char* path, bool shares_writing);

// Replaces, since the program started, that moved a file whose last writes
// had not been flushed to the disk.
int unflushed_replaces();

// Whether flush_file waits for the disk (fsync); on by default, as for the
// benchmarks. Tests that only need the order of flushes and replaces (which
// unflushed_replaces checks) may switch it off.
void set_disk_sync(bool on);

// Files opened through the platform and not closed yet.
int open_files();

}  // namespace plat_testing
