// Win32 platform for TARVEX.dll: the real API for the module path, profile
// strings, directories and file replacement, and the C runtime's stream files
// and clock, as the host process provides them.
#include <windows.h>

#include <io.h>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>

#include "platform/host_view.h"
#include "platform/platform.h"

namespace {
char g_viewed_exe[261];  // set only by tools that inspect a host from outside
}  // namespace

namespace plat {

struct File {
    FILE* f;
};

void view_host_executable(const char* path) {
    size_t n = path ? std::strlen(path) : 0;
    if (n > 260) n = 260;
    if (n) std::memcpy(g_viewed_exe, path, n);
    g_viewed_exe[n] = '\0';
}

size_t executable_path(char* out, size_t cap) {
    char buf[261];
    DWORD n = GetModuleFileNameA(nullptr, buf, 260);  // null: the host executable
    if (g_viewed_exe[0]) {
        n = static_cast<DWORD>(std::strlen(g_viewed_exe));
        std::memcpy(buf, g_viewed_exe, n);
    }
    if (n > 260) n = 260;
    buf[n] = '\0';
    if (cap == 0) return 0;
    size_t len = n < cap - 1 ? n : cap - 1;
    std::memcpy(out, buf, len);
    out[len] = '\0';
    return len;
}

size_t profile_string(const char* section, const char* key, const char* fallback,
                      char* out, size_t cap, const char* ini_file) {
    if (cap == 0) return 0;
    // A value cut inside a double-byte character can leave a byte of the
    // buffer unwritten before the terminator (Wine does): zeroed, it ends the text.
    std::memset(out, 0, cap);
    GetPrivateProfileStringA(section, key, fallback, out, static_cast<DWORD>(cap), ini_file);
    out[cap - 1] = '\0';
    return std::strlen(out);
}

File* open_file(const char* path, const char* mode) {
    // The handle first: without memory for it no file is opened, or created.
    File* file = new (std::nothrow) File{nullptr};
    if (!file) return nullptr;
    file->f = std::fopen(path, mode);
    if (!file->f) {
        delete file;
        return nullptr;
    }
    return file;
}

size_t read_file(File* f, void* buf, size_t bytes) { return std::fread(buf, 1, bytes, f->f); }

bool write_file(File* f, const void* buf, size_t bytes) { return std::fwrite(buf, 1, bytes, f->f) == bytes; }

bool at_end_of_file(File* f) { return std::feof(f->f) != 0; }

// The host's files stay far below 2 GB; the 32-bit offsets of msvcrt suffice
// and exist on every Windows the host runs on.
bool seek_file(File* f, int64_t offset) {
    if (offset < 0 || offset > LONG_MAX) return false;
    return std::fseek(f->f, static_cast<long>(offset), SEEK_SET) == 0;
}

bool set_file_end(File* f) {
    if (std::fflush(f->f) != 0) return false;
    long pos = std::ftell(f->f);
    return pos >= 0 && _chsize(_fileno(f->f), pos) == 0;
}

// _commit is FlushFileBuffers on the stream's handle.
bool flush_file(File* f) { return std::fflush(f->f) == 0 && _commit(_fileno(f->f)) == 0; }

bool file_size(File* f, uint64_t* size) {
    long n = _filelength(_fileno(f->f));  // the host's files stay far below 2 GB
    if (n < 0) return false;
    *size = static_cast<uint64_t>(n);
    return true;
}

bool close_file(File* f) {
    bool ok = std::fclose(f->f) == 0;
    delete f;
    return ok;
}

static int64_t ticks(const FILETIME& t) {
    return static_cast<int64_t>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

// Windows names a file by its id only through GetFileInformationByHandle,
// which costs a thousand times more than these (over a millisecond under
// Wine); the creation time tells a file made anew from the one it replaced.
bool file_stamp(File* f, FileStamp* out) {
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f->f)));
    FILETIME made, used, written;
    DWORD high = 0;
    if (h == INVALID_HANDLE_VALUE || !GetFileTime(h, &made, &used, &written)) return false;
    DWORD low = GetFileSize(h, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
    *out = FileStamp{0, static_cast<uint64_t>(ticks(made)), (static_cast<uint64_t>(high) << 32) | low, ticks(written)};
    return true;
}

bool path_stamp(const char* path, FileStamp* out) {
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &a)) return false;
    *out = FileStamp{0, static_cast<uint64_t>(ticks(a.ftCreationTime)),
                     (static_cast<uint64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow, ticks(a.ftLastWriteTime)};
    return true;
}

bool file_exists(const char* path) { return _access(path, 0) == 0; }

bool remove_file(const char* path) { return DeleteFileA(path) != 0; }

ReplaceResult replace_file(const char* from, const char* to) {
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return ReplaceResult::replaced;
    switch (GetLastError()) {
        case ERROR_ACCESS_DENIED:  // what Windows (and Wine) says while another handle holds `to`
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return ReplaceResult::in_use;
        default: return ReplaceResult::failed;
    }
}

std::vector<std::string> files_named_like(const char* path_prefix) {
    std::vector<std::string> names;
    const char* base = std::strrchr(path_prefix, '\\');
    base = base ? base + 1 : path_prefix;
    size_t n = std::strlen(base);
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((std::string(path_prefix) + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        // The pattern also matches short 8.3 names and other letter cases;
        // keep only names that begin byte for byte as given (GBK trail bytes
        // may look like ASCII letters).
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && std::strncmp(fd.cFileName, base, n) == 0)
            names.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
}

unsigned long process_id() { return GetCurrentProcessId(); }

MakeDirResult make_directory(const char* path) {
    if (CreateDirectoryA(path, nullptr)) return MakeDirResult::created;
    switch (GetLastError()) {
        case ERROR_ALREADY_EXISTS: return MakeDirResult::already_exists;
        case ERROR_PATH_NOT_FOUND: return MakeDirResult::missing_parent;
        default: return MakeDirResult::failed;
    }
}

int64_t now_seconds() { return static_cast<int64_t>(_time64(nullptr)); }

bool local_time(int64_t t, LocalTime* out) {
    __time64_t tt = static_cast<__time64_t>(t);
    struct tm* tm = _localtime64(&tt);
    if (!tm) return false;
    *out = {tm->tm_year + 1900, tm->tm_mon + 1, tm->tm_mday, tm->tm_hour, tm->tm_min, tm->tm_sec};
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
    __time64_t s = _mktime64(&tm);
    if (s < 0) return false;  // -1: cannot be converted
    *out = static_cast<int64_t>(s);
    return true;
}

}  // namespace plat
