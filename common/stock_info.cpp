// Security records from the host's STKINFO files. A lookup walks the records
// from the first in large reads, seeking over the gap before them (11 MB in
// the older file), and remembers where each code's first record lies. The
// host rewrites these files only when its list of securities changes, so
// while a file keeps its stamp (which file, size, last write) the next
// lookup seeks straight to the record it remembered and reads only that one.
// The record read then must still hold the code, or the walk is made anew; a
// code the walk did not find is always looked for anew.
#include "common/stock_info.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/coding.h"
#include "common/log.h"
#include "common/paths.h"
#include "common/settings.h"
#include "common/text.h"
#include "platform/platform.h"
#include "platform/scoped_file.h"

namespace {

const uint32_t kHeaderBytes = 12;  // the record count is the word at 8
// Records taken in by one read of the walk (about 64 KB).
const uint32_t kRecordsPerRead = 200;
// A market holds some thousands of securities; records past this many are
// not noted (their codes are walked to on every lookup).
const int32_t kMostRemembered = 100000;

// Whether the NUL-terminated text at the start of the record is `code`.
bool record_holds(const char* info, const char* code) {
    size_t len = std::strlen(code);
    return len < kStockInfoBytes && std::memcmp(info, code, len + 1) == 0;
}

// Where the first record of each code lies in one version of one file.
struct RecordIndex {
    std::string path;
    plat::FileStamp stamp;
    std::unordered_map<std::string, int32_t> first;
};
// One per file the lookups met: the newer and the older file of each market.
std::vector<RecordIndex> g_indexes;

RecordIndex* remembered(const char* path, const plat::FileStamp& stamp) {
    for (RecordIndex& x : g_indexes)
        if (x.path == path) return x.stamp == stamp ? &x : nullptr;
    return nullptr;
}

void forget(const char* path) {
    for (size_t i = 0; i < g_indexes.size(); ++i)
        if (g_indexes[i].path == path) g_indexes.erase(g_indexes.begin() + static_cast<long>(i));
}

// Walks records 0 .. count - 1 (the count at byte 8) and stops at the first
// that holds `code`, copying its first 272 bytes into `info`. Record i is
// there when the file reaches base + i × stride + 272; the walk ends at the
// first record that is not. When `index` is given, every code met on the
// way gets its first record noted, and the walk goes on to note them all
// (up to kMostRemembered records). True when `code` was found.
bool walk_records(plat::File* f, const InfoLayout& layout, const char* code, char* info, RecordIndex* index) {
    unsigned char header[kHeaderBytes];
    if (plat::read_file(f, header, sizeof header) != sizeof header) return false;
    int32_t count = decode_i32(header + 8);
    if (count <= 0 || !plat::seek_file(f, layout.base)) return false;
    std::vector<char> chunk(static_cast<size_t>(kRecordsPerRead) * layout.stride);
    bool found = false;
    for (int32_t i = 0; i < count;) {
        uint32_t want = static_cast<uint32_t>(count - i) < kRecordsPerRead ? static_cast<uint32_t>(count - i)
                                                                            : kRecordsPerRead;
        size_t got = plat::read_file(f, chunk.data(), static_cast<size_t>(want) * layout.stride);
        for (uint32_t k = 0; k < want; ++k, ++i) {
            const char* rec = chunk.data() + static_cast<size_t>(k) * layout.stride;
            if (static_cast<size_t>(k) * layout.stride + kStockInfoBytes > got) return found;
            if (!found && record_holds(rec, code)) {
                std::memcpy(info, rec, kStockInfoBytes);
                found = true;
            }
            bool noting = index && i < kMostRemembered;
            if (found && !noting) return true;
            size_t len = strnlen(rec, kStockInfoBytes);
            if (noting && len < static_cast<size_t>(kStockInfoBytes)) index->first.emplace(std::string(rec, len), i);
        }
        if (got < static_cast<size_t>(want) * layout.stride) return found;
    }
    return found;
}

// The record the index remembers for `code`, read on its own; false when the
// index knows no record of the code or that record no longer holds it.
bool read_remembered(plat::File* f, const InfoLayout& layout, const RecordIndex& index, const char* code,
                     char* info) {
    auto at = index.first.find(code);
    if (at == index.first.end()) return false;
    int64_t offset = static_cast<int64_t>(layout.base) + static_cast<int64_t>(at->second) * layout.stride;
    return plat::seek_file(f, offset) &&
           plat::read_file(f, info, kStockInfoBytes) == static_cast<size_t>(kStockInfoBytes) &&
           record_holds(info, code);
}

bool find_record(plat::File* f, const char* path, const InfoLayout& layout, const char* code, char* info) {
    plat::FileStamp stamp;
    if (!plat::file_stamp(f, &stamp)) return walk_records(f, layout, code, info, nullptr);
    if (RecordIndex* index = remembered(path, stamp)) {
        if (read_remembered(f, layout, *index, code, info)) return true;
        if (!plat::seek_file(f, 0)) return false;
        // A code the index never met is looked for anew, without noting.
        if (index->first.count(code) == 0) return walk_records(f, layout, code, info, nullptr);
        // Its record no longer holds the code: the file changed under the
        // same stamp, and the index goes.
    }
    forget(path);
    RecordIndex fresh{path, stamp, {}};
    bool found = walk_records(f, layout, code, info, &fresh);
    if (!fresh.first.empty()) g_indexes.push_back(std::move(fresh));
    return found;
}

}  // namespace

const InfoLayout kInfo70 = {"STKINFO70.DAT", 17574, 320};
const InfoLayout kInfo60 = {"STKINFO60.DAT", 11259470, 273};

void info_path(char* out, size_t cap, const char* code, const InfoLayout& layout) {
    module_dir(out, cap);
    append_text(out, cap, "data\\");
    append_text(out, cap, compare_signed(code, "600000") < 0 ? "SZ" : "SH");
    append_text(out, cap, "\\");
    append_text(out, cap, layout.name);
}

float GetStockInfo(const char* code, char* info) {
    char fn[kPathBytes];
    const InfoLayout* layout = &kInfo70;
    info_path(fn, sizeof fn, code, *layout);
    plat::File* f = plat::open_file(fn, "rb");
    if (!f) {
        layout = &kInfo60;
        info_path(fn, sizeof fn, code, *layout);
        f = plat::open_file(fn, "rb");
        if (!f) {
            log_line_str("没找到文件", fn);
            return -1;
        }
    }
    plat::ScopedFile held(f);  // closed also when the lookup throws
    bool found = find_record(f, fn, *layout, code, info);
    held.close();
    if (found) return 0;
    log_line_str("GetStockInfo 没有找到股票:", code);
    return -1;
}
