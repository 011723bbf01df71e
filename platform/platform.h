// The one narrow door to the operating system. Everything above it works on
// 8-bit (GBK) texts and Windows-style paths with backslashes; the Win32
// implementation hands them to the real API, the portable one (native build
// and tests) maps backslashes to slashes and does the same work itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// Full path of the executable of the current process (the host program, not
// the library), cut to fit `cap` - 1 characters and NUL-terminated. The
// platform reads at most 260 characters. Returns the length written.
size_t executable_path(char* out, size_t cap);

// Windows profile-string lookup: value of `key` in `section` of `ini_file`,
// or `fallback` when the file, section or key is missing; cut to `cap` - 1
// characters. Returns the length written.
size_t profile_string(const char* section, const char* key, const char* fallback,
                      char* out, size_t cap, const char* ini_file);

// An open stream file; modes as in fopen ("rb", "r+b", "wb", "w+b", "a+b", "a+t").
struct File;
File* open_file(const char* path, const char* mode);
size_t read_file(File* f, void* buf, size_t bytes);
// Writes all of `bytes` or reports false.
bool write_file(File* f, const void* buf, size_t bytes);
bool at_end_of_file(File* f);
// Moves the read/write position to `offset` bytes from the start.
bool seek_file(File* f, int64_t offset);
// Cuts (or extends) the file at the current position.
bool set_file_end(File* f);
// Writes the stream's buffers out and has the system put them on the disk
// itself (FlushFileBuffers): after it a power cut keeps what was written.
bool flush_file(File* f);
// The size in bytes of the open file; false when it cannot be told.
bool file_size(File* f, uint64_t* size);
// Flushes and closes; false when buffered data could not be written.
bool close_file(File* f);

// What tells one version of a file from another: which file it is (its
// volume and id natively; on Windows its creation time), its size and its
// last write. A file replaced, rewritten or grown gets another stamp; only a
// rewrite in place to the same size within the clock's granularity can keep
// it.
struct FileStamp {
    uint64_t volume = 0;
    uint64_t file = 0;
    uint64_t size = 0;
    int64_t written = 0;
};
inline bool operator==(const FileStamp& a, const FileStamp& b) {
    return a.volume == b.volume && a.file == b.file && a.size == b.size && a.written == b.written;
}
// The stamp of an open file; false when the system cannot tell.
bool file_stamp(File* f, FileStamp* out);
// The stamp of the file or directory at `path`; false when there is none
// there. A directory's last write moves whenever an entry in it is made,
// renamed or removed (on NTFS; FAT keeps it).
bool path_stamp(const char* path, FileStamp* out);

bool file_exists(const char* path);
bool remove_file(const char* path);

enum class ReplaceResult {
    replaced,
    in_use,  // `to` is held open by another program (access denied, sharing violation)
    failed,
};
// Moves `from` over `to` in one step, replacing `to` when it exists; the
// move is on the disk when it reports `replaced`.
ReplaceResult replace_file(const char* from, const char* to);

// Names (without directory) of the files in the directory of `path_prefix`
// whose names begin with its last component; directories are left out.
std::vector<std::string> files_named_like(const char* path_prefix);

// Id of the current process, for names no other process uses at the same time.
unsigned long process_id();

enum class MakeDirResult { created, already_exists, missing_parent, failed };
// Creates one directory level.
MakeDirResult make_directory(const char* path);

// Current time as seconds since 1970-01-01 00:00:00 UTC.
int64_t now_seconds();

struct LocalTime {
    int year;    // e.g. 2026
    int month;   // 1..12
    int day;     // 1..31
    int hour;    // 0..23
    int minute;  // 0..59
    int second;  // 0..59
};
// The machine's local broken-down time of `t`; false when it cannot be converted.
bool local_time(int64_t t, LocalTime* out);

// ---- Local calendar time back to seconds (investment and trade records) ----
// Seconds since 1970 of a local calendar time; out-of-range fields are
// carried over as the C runtime's mktime does, and daylight saving is left
// for the conversion to decide. False when it cannot be converted or falls
// before 1970-01-01 00:00:00 UTC (the host's runtime knows no earlier time).
bool seconds_from_local(const LocalTime& t, int64_t* out);

}  // namespace plat
