// Portable platform for the native build: POSIX files behind Windows-style
// paths, a profile-file reader with the lookup rules of the Windows API, and
// the test controls of portable_testing.h.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/host_view.h"
#include "platform/platform.h"
#include "platform/portable_testing.h"

namespace {

std::string g_exe_path;
int64_t g_fixed_now = -1;

int g_open_files = 0;  // opened through open_file and not yet closed

const int kOpCount = 8;
int g_fail_at[kOpCount];
int g_calls[kOpCount];

// Crash injection: every file operation counts; the k-th ends the process.
int g_crash_at = 0;
int g_file_ops = 0;

// Files another program holds open (native path -> whether it lets others write).
std::map<std::string, bool> g_held;

// Durability bookkeeping: files written since their last flush, by native
// path, and replaces that moved such a file over another.
std::map<std::string, bool, std::less<>> g_unflushed;  // looked up by text, without allocating
int g_unflushed_replaces = 0;
bool g_disk_sync = true;

// Counts one file operation; at the crash point the process ends here, as a
// power cut would end it: what the stream still buffers is lost.
void file_operation() {
    if (g_crash_at != 0 && ++g_file_ops == g_crash_at) _exit(plat_testing::kCrashExit);
}

bool injected_failure(plat_testing::Op op) {
    file_operation();
    int i = static_cast<int>(op);
    ++g_calls[i];
    return g_fail_at[i] != 0 && g_calls[i] == g_fail_at[i];
}

// The key of a file in the tests' bookkeeping: its native path with repeated
// slashes made one, as the system would resolve it.
std::string held_key(const char* native) {
    std::string p(native);
    for (size_t i = 1; i < p.size();)
        if (p[i] == '/' && p[i - 1] == '/') p.erase(i, 1);
        else ++i;
    return p;
}

// The bookkeeping is the tests' own: it allocates, which the file calls it
// stands beside never do, so running out of memory there only skips it.
bool is_held(const char* native, bool* shares_writing) {
    if (g_held.empty()) return false;
    try {
        auto h = g_held.find(held_key(native));
        if (h == g_held.end()) return false;
        *shares_writing = h->second;
        return true;
    } catch (...) {
        return false;
    }
}

void note_written(const char* native) {
    try {
        g_unflushed[native] = true;
    } catch (...) {
    }
}

void note_flushed(const char* native) {
    auto d = g_unflushed.find(native);
    if (d != g_unflushed.end()) d->second = false;
}

// Whether `native` had unflushed writes; forgets it.
bool take_unflushed(const char* native) {
    auto d = g_unflushed.find(native);
    if (d == g_unflushed.end()) return false;
    bool dirty = d->second;
    g_unflushed.erase(d);
    return dirty;
}

// A path with slashes, in a fixed buffer: the file calls allocate nothing,
// as the Windows calls they stand in for never fail for want of memory. A
// path too long for the buffer becomes the empty path, which names no file.
struct NativePath {
    char s[4096];
    const char* c_str() const { return s; }
};

NativePath native_path(const char* path) {
    NativePath p;
    size_t n = std::strlen(path);
    if (n >= sizeof p.s) n = 0;
    for (size_t i = 0; i < n; ++i) p.s[i] = path[i] == '\\' ? '/' : path[i];
    p.s[n] = '\0';
    return p;
}

size_t copy_cut(char* out, size_t cap, const char* text, size_t len) {
    if (cap == 0) return 0;
    if (len > cap - 1) len = cap - 1;
    std::memcpy(out, text, len);
    out[len] = '\0';
    return len;
}

std::string trimmed(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r' || s[b] == '\n')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r' || s[e - 1] == '\n')) --e;
    return s.substr(b, e - b);
}

// Profile names compare without regard to ASCII letter case, as on Windows.
bool same_name(const std::string& a, const char* b) {
    size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

bool find_profile_value(const char* section, const char* key, const char* ini_file, std::string* value) {
    FILE* f = std::fopen(native_path(ini_file).c_str(), "rb");
    if (!f) return false;
    std::unique_ptr<FILE, int (*)(FILE*)> closer(f, std::fclose);  // closed also when a string throws
    std::string line;
    bool in_section = false, found = false;
    int c;
    do {
        c = std::fgetc(f);
        if (c != EOF && c != '\n') {
            line.push_back(static_cast<char>(c));
            continue;
        }
        std::string t = trimmed(line);
        line.clear();
        if (t.empty() || t[0] == ';') continue;
        if (t[0] == '[') {
            size_t close = t.find(']');
            in_section = close != std::string::npos && same_name(trimmed(t.substr(1, close - 1)), section);
            continue;
        }
        size_t eq = t.find('=');
        if (!in_section || eq == std::string::npos || !same_name(trimmed(t.substr(0, eq)), key)) continue;
        std::string v = trimmed(t.substr(eq + 1));
        if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
        *value = v;
        found = true;
    } while (c != EOF && !found);
    return found;
}

}  // namespace

namespace plat {

struct File {
    FILE* f;
    bool text;  // "t" mode: newlines are stored as CR LF, as on the host's platform
    NativePath path;
};

void view_host_executable(const char* path) { g_exe_path = path ? path : ""; }

size_t executable_path(char* out, size_t cap) {
    std::string p = g_exe_path;
    if (p.empty()) {
        char buf[261];
        ssize_t n = readlink("/proc/self/exe", buf, 260);
        p.assign(buf, n > 0 ? static_cast<size_t>(n) : 0);
        for (char& c : p)
            if (c == '/') c = '\\';
    }
    if (p.size() > 260) p.resize(260);
    return copy_cut(out, cap, p.data(), p.size());
}

size_t profile_string(const char* section, const char* key, const char* fallback,
                      char* out, size_t cap, const char* ini_file) {
    std::string value;
    if (find_profile_value(section, key, ini_file, &value)) return copy_cut(out, cap, value.data(), value.size());
    return copy_cut(out, cap, fallback, std::strlen(fallback));
}

File* open_file(const char* path, const char* mode) {
    if (injected_failure(plat_testing::Op::open)) return nullptr;
    char m[8];
    size_t used = 0;
    bool text = false;
    for (const char* p = mode; *p && used + 1 < sizeof m; ++p) {
        if (*p == 't') text = true;
        else m[used++] = *p;
    }
    m[used] = '\0';
    // The handle first: without memory for it no file is opened, or created.
    File* file = new (std::nothrow) File{nullptr, text, native_path(path)};
    if (!file) return nullptr;
    // A holder that shares reading only lets nobody else write.
    bool shares_writing = true;
    bool writes = std::strpbrk(m, "wa+") != nullptr;
    if (!(writes && is_held(file->path.c_str(), &shares_writing) && !shares_writing))
        file->f = std::fopen(file->path.c_str(), m);
    if (!file->f) {
        delete file;
        return nullptr;
    }
    ++g_open_files;
    return file;
}

size_t read_file(File* f, void* buf, size_t bytes) {
    if (injected_failure(plat_testing::Op::read)) return 0;  // a read error: short, not at the end
    return std::fread(buf, 1, bytes, f->f);
}

bool write_file(File* f, const void* buf, size_t bytes) {
    note_written(f->path.c_str());
    if (g_crash_at != 0 && g_file_ops + 1 == g_crash_at) {
        // Cut in the middle of a write: half of it reaches the file.
        std::fwrite(buf, 1, bytes / 2, f->f);
        std::fflush(f->f);
    }
    if (injected_failure(plat_testing::Op::write)) {
        std::fwrite(buf, 1, bytes / 2, f->f);  // a failing disk may take part of it
        return false;
    }
    if (!f->text) return std::fwrite(buf, 1, bytes, f->f) == bytes;
    const char* p = static_cast<const char*>(buf);
    for (size_t i = 0; i < bytes; ++i) {
        if (p[i] == '\n' && std::fputc('\r', f->f) == EOF) return false;
        if (std::fputc(p[i], f->f) == EOF) return false;
    }
    return true;
}


bool at_end_of_file(File* f) { return std::feof(f->f) != 0; }

bool file_size(File* f, uint64_t* size) {
    struct stat st;
    if (fstat(fileno(f->f), &st) != 0) return false;
    *size = static_cast<uint64_t>(st.st_size);
    return true;
}

bool seek_file(File* f, int64_t offset) {
    file_operation();
    return offset >= 0 && fseeko(f->f, static_cast<off_t>(offset), SEEK_SET) == 0;
}

bool set_file_end(File* f) {
    note_written(f->path.c_str());
    if (injected_failure(plat_testing::Op::truncate)) return false;
    if (std::fflush(f->f) != 0) return false;
    off_t pos = ftello(f->f);
    return pos >= 0 && ftruncate(fileno(f->f), pos) == 0;
}

bool flush_file(File* f) {
    if (injected_failure(plat_testing::Op::flush)) return false;
    if (std::fflush(f->f) != 0 || (g_disk_sync && fsync(fileno(f->f)) != 0)) return false;
    note_flushed(f->path.c_str());
    return true;
}

bool close_file(File* f) {
    bool fail = injected_failure(plat_testing::Op::close);  // a crash here loses what is buffered
    bool ok = std::fclose(f->f) == 0;
    delete f;
    --g_open_files;
    return ok && !fail;
}

static FileStamp stamp_of(const struct stat& st) {
    return FileStamp{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
                           static_cast<uint64_t>(st.st_size),
                           static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

bool file_stamp(File* f, FileStamp* out) {
    file_operation();
    struct stat st;
    if (fstat(fileno(f->f), &st) != 0) return false;
    *out = stamp_of(st);
    return true;
}

bool path_stamp(const char* path, FileStamp* out) {
    file_operation();
    struct stat st;
    if (stat(native_path(path).c_str(), &st) != 0) return false;
    *out = stamp_of(st);
    return true;
}

bool file_exists(const char* path) {
    file_operation();
    return access(native_path(path).c_str(), F_OK) == 0;
}

bool remove_file(const char* path) {
    file_operation();
    NativePath p = native_path(path);
    // As on Windows: a file another program holds open is not removed (the
    // C runtime and most programs do not share deleting).
    bool shares_writing;
    if (is_held(p.c_str(), &shares_writing)) return false;
    take_unflushed(p.c_str());
    return std::remove(p.c_str()) == 0;
}

ReplaceResult replace_file(const char* from, const char* to) {
    if (injected_failure(plat_testing::Op::rename)) return ReplaceResult::failed;
    NativePath f = native_path(from), t = native_path(to);
    // As on Windows: a file that another handle holds open is not replaced.
    bool shares_writing;
    if (is_held(t.c_str(), &shares_writing)) return ReplaceResult::in_use;
    if (std::rename(f.c_str(), t.c_str()) != 0) return ReplaceResult::failed;
    if (take_unflushed(f.c_str())) ++g_unflushed_replaces;
    return ReplaceResult::replaced;
}

std::vector<std::string> files_named_like(const char* path_prefix) {
    file_operation();
    std::vector<std::string> names;
    std::string p = native_path(path_prefix).c_str();
    size_t slash = p.rfind('/');
    std::string dir = slash == std::string::npos ? "." : p.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? p : p.substr(slash + 1);
    DIR* d = opendir(dir.c_str());
    if (!d) return names;
    std::unique_ptr<DIR, int (*)(DIR*)> closer(d, closedir);  // closed also when a string throws
    while (struct dirent* e = readdir(d)) {
        struct stat st;
        if (std::strncmp(e->d_name, base.c_str(), base.size()) != 0) continue;
        if (stat((dir + e->d_name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.push_back(e->d_name);
    }
    return names;
}

unsigned long process_id() { return static_cast<unsigned long>(getpid()); }

MakeDirResult make_directory(const char* path) {
    if (injected_failure(plat_testing::Op::mkdir)) return MakeDirResult::failed;
    if (mkdir(native_path(path).c_str(), 0777) == 0) return MakeDirResult::created;
    if (errno == EEXIST) return MakeDirResult::already_exists;
    if (errno == ENOENT) return MakeDirResult::missing_parent;
    return MakeDirResult::failed;
}

int64_t now_seconds() { return g_fixed_now >= 0 ? g_fixed_now : static_cast<int64_t>(std::time(nullptr)); }

bool local_time(int64_t t, LocalTime* out) {
    time_t tt = static_cast<time_t>(t);
    struct tm tm;
    if (!localtime_r(&tt, &tm)) return false;
    *out = {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    return true;
}

bool seconds_from_local(const LocalTime& t, int64_t* out) {
    struct tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    time_t s = mktime(&tm);
    if (s == static_cast<time_t>(-1) || s < 0) return false;
    *out = static_cast<int64_t>(s);
    return true;
}

}  // namespace plat

namespace plat_testing {

void set_executable_path(const char* path) { g_exe_path = path ? path : ""; }
void set_now(int64_t seconds) { g_fixed_now = seconds; }

void fail_nth(Op op, int n) {
    g_fail_at[static_cast<int>(op)] = n;
    g_calls[static_cast<int>(op)] = 0;
}

int count_of(Op op) { return g_calls[static_cast<int>(op)]; }


void reset_faults() {
    for (int i = 0; i < kOpCount; ++i) g_fail_at[i] = g_calls[i] = 0;
    g_crash_at = g_file_ops = 0;
    g_held.clear();
}

void crash_at(int k) {
    g_crash_at = k;
    g_file_ops = 0;
}

void hold_open(const char* path, bool shares_writing) { g_held[held_key(native_path(path).c_str())] = shares_writing; }

int unflushed_replaces() { return g_unflushed_replaces; }

void set_disk_sync(bool on) { g_disk_sync = on; }

int open_files() { return g_open_files; }

}  // namespace plat_testing
