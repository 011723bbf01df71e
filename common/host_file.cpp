// Whole-file reads and safe rewrites.
#include "common/host_file.h"

#include <cstring>
#include <string>
#include <vector>

#include "common/rehearsal.h"
#include "platform/platform.h"
#include "platform/scoped_file.h"

namespace {

// Side files are named "<file>.tarvex-new.<process>.<n>": two writers of the
// same file never share one, and every one of them, a crashed writer's
// included, begins with "<file>.tarvex-new".
const char kSideMark[] = ".tarvex-new";

std::string side_file_name(const std::string& path) {
    static unsigned long n = 0;
    return path + kSideMark + "." + std::to_string(plat::process_id()) + "." + std::to_string(++n);
}

// The directory of a file, without its last backslash ("" for a bare name).
std::string directory_of(const std::string& path) {
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

// Directories seen with no side file in them, each with its stamp then.
// While a directory keeps that stamp no entry has been made, renamed or
// removed in it since, so no side file can be waiting there, and the
// listing (thousands of entries in a self-data directory) is left out. Where
// the stamp cannot move (FAT), a crash of another process writing there
// leaves its side file until this process next starts and lists.
struct ClearDirectory {
    std::string dir;
    plat::FileStamp stamp;
};
std::vector<ClearDirectory> g_clear_dirs;
const size_t kClearDirsKept = 16;

ClearDirectory* clear_entry(const std::string& dir) {
    for (ClearDirectory& c : g_clear_dirs)
        if (c.dir == dir) return &c;
    return nullptr;
}

void forget_clear(const std::string& dir) {
    if (ClearDirectory* c = clear_entry(dir)) g_clear_dirs.erase(g_clear_dirs.begin() + (c - g_clear_dirs.data()));
}

// Notes the directory as it is now as holding no side file.
void note_clear(const std::string& dir) {
    plat::FileStamp now;
    if (dir.empty() || !plat::path_stamp(dir.c_str(), &now)) return forget_clear(dir);
    if (ClearDirectory* c = clear_entry(dir)) {
        c->stamp = now;
        return;
    }
    if (g_clear_dirs.size() >= kClearDirsKept) g_clear_dirs.erase(g_clear_dirs.begin());
    g_clear_dirs.push_back({dir, now});
}

bool known_clear(const std::string& dir) {
    ClearDirectory* c = clear_entry(dir);
    plat::FileStamp now;
    return c && plat::path_stamp(dir.c_str(), &now) && c->stamp == now;
}

// Notes the directory clear once this write's own side file is gone (moved
// over the file, or removed); forgets it when the side file stays.
void side_file_gone(const std::string& path, bool gone) {
    if (gone) note_clear(directory_of(path));
    else forget_clear(directory_of(path));
}

// Whether a name in the directory is a side file: "<file>.tarvex-new" or
// "<file>.tarvex-new.<process>.<n>".
bool is_side_file_name(const std::string& name) {
    size_t at = name.find(kSideMark);
    if (at == 0 || at == std::string::npos) return false;
    size_t end = at + sizeof kSideMark - 1;
    return end == name.size() || name[end] == '.';
}

// Removes the side files that writes cut short left in the file's directory,
// whichever file of it they were for: the directory is noted clear
// afterwards, so a side file left there now would stay until the directory
// changes. A side file that another process is writing right now is open
// without delete sharing, so Windows refuses to remove it and that write
// goes on. True when none is left.
bool clear_side_files(const std::string& path) {
    std::string dir = directory_of(path);
    if (known_clear(dir)) return true;
    std::string prefix = dir.empty() ? "" : dir + "\\";
    bool all_gone = true;
    for (const std::string& name : plat::files_named_like(prefix.c_str()))
        if (is_side_file_name(name)) all_gone = plat::remove_file((prefix + name).c_str()) && all_gone;
    side_file_gone(path, all_gone);
    return all_gone;
}

// The whole new content in a file of its own, on the disk before anything
// moves it over the old one.
bool write_side_file(const std::string& side, const void* bytes, size_t size) {
    plat::File* f = plat::open_file(side.c_str(), "wb");
    if (!f) return false;
    bool ok = (size == 0 || plat::write_file(f, bytes, size)) && plat::flush_file(f);
    return plat::close_file(f) && ok;
}

// The route for a file that its owner holds open: the new bytes from the
// start, the end set after them, flushed. When a step fails the old bytes go
// back the same way. Opening fails when the owner lets nobody write.
bool write_in_place(const char* path, const void* bytes, size_t size, const std::vector<unsigned char>& old) {
    plat::File* f = plat::open_file(path, "r+b");
    if (!f) return false;
    bool ok = (size == 0 || plat::write_file(f, bytes, size)) && plat::set_file_end(f) && plat::flush_file(f);
    if (!ok && plat::seek_file(f, 0)) {
        if (old.empty() || plat::write_file(f, old.data(), old.size())) {
            plat::set_file_end(f);
            plat::flush_file(f);
        }
    }
    // Once flushed, the bytes are on the disk whatever the close says.
    plat::close_file(f);
    return ok;
}

// The rewrite once the old content is known (`old`, or null when the file
// could not be read whole).
bool replace_known_contents(const char* path, const void* bytes, size_t size, const std::vector<unsigned char>* old,
                            bool rehearsed = true) {
    const bool unchanged = old && old->size() == size && (size == 0 || std::memcmp(old->data(), bytes, size) == 0);
    if (rehearsed && rehearsing()) {  // the file is left as it is, side files included
        const std::string n = std::to_string(size);
        if (!unchanged) log_rehearsal({"会改写 ", path, " (", n.c_str(), " 字节)"});
        return true;
    }
    // Another writer's side file that stays keeps the directory from being
    // noted clear after this write too.
    const bool others_gone = clear_side_files(path);
    if (unchanged) return true;
    std::string side = side_file_name(path);
    if (!write_side_file(side, bytes, size)) {
        side_file_gone(path, plat::remove_file(side.c_str()) && others_gone);
        return false;
    }
    plat::ReplaceResult r = plat::replace_file(side.c_str(), path);
    if (r == plat::ReplaceResult::replaced) {
        side_file_gone(path, others_gone);
        return true;
    }
    side_file_gone(path, plat::remove_file(side.c_str()) && others_gone);
    // In place only when the old bytes are known: they are what a failure
    // there must put back.
    return r == plat::ReplaceResult::in_use && old && write_in_place(path, bytes, size, *old);
}

}  // namespace

bool read_whole_file(const char* path, std::vector<unsigned char>* out) {
    out->clear();
    plat::ScopedFile f(plat::open_file(path, "rb"));  // closed also when the vector cannot grow
    if (!f) return false;
    // Read straight into the vector, each read as large as all read so far:
    // a few calls and no copying through a bounce buffer.
    size_t have = 0, want = 16384;
    for (;;) {
        out->resize(have + want);
        size_t n = plat::read_file(f.get(), out->data() + have, want);
        have += n;
        if (n < want) break;
        want = have;
    }
    out->resize(have);
    // Stopped short of the end: a read error. Part of a file must never be
    // taken for all of it (a rewrite would drop the rest).
    bool whole = plat::at_end_of_file(f.get());
    f.close();
    if (!whole) out->clear();
    return whole;
}

bool replace_file_contents(const char* path, const void* bytes, size_t size) {
    std::vector<unsigned char> old;
    bool have_old = read_whole_file(path, &old);
    return replace_known_contents(path, bytes, size, have_old ? &old : nullptr);
}

bool replace_file_contents(const char* path, const void* bytes, size_t size, const std::vector<unsigned char>& old) {
    return replace_known_contents(path, bytes, size, &old);
}

bool replace_own_file_contents(const char* path, const void* bytes, size_t size) {
    std::vector<unsigned char> old;
    bool have_old = read_whole_file(path, &old);
    return replace_known_contents(path, bytes, size, have_old ? &old : nullptr, false);
}
