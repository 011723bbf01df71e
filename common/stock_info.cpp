// Security records from the host's STKINFO files. The files are read
// sequentially, skipping what lies between records, so no more than one
// record is held and the older file's 11 MB prefix is never kept in memory.
#include "common/stock_info.h"

#include <cstdint>
#include <cstring>

#include "common/coding.h"
#include "common/log.h"
#include "common/paths.h"
#include "common/settings.h"
#include "common/text.h"
#include "platform/platform.h"
#include "platform/scoped_file.h"

namespace {

const uint32_t kHeaderBytes = 12;  // the record count is the word at 8

// Reads and drops `bytes`; false when the file ends first.
bool skip(plat::File* f, uint32_t bytes) {
    char scratch[4096];
    while (bytes > 0) {
        size_t want = bytes < sizeof scratch ? bytes : sizeof scratch;
        if (plat::read_file(f, scratch, want) != want) return false;
        bytes -= static_cast<uint32_t>(want);
    }
    return true;
}

// Whether the NUL-terminated text at the start of the record is `code`.
bool record_holds(const char* info, const char* code) {
    size_t len = std::strlen(code);
    return len < kStockInfoBytes && std::memcmp(info, code, len + 1) == 0;
}

bool find_record(plat::File* f, const InfoLayout& layout, const char* code, char* info) {
    unsigned char header[kHeaderBytes];
    if (plat::read_file(f, header, sizeof header) != sizeof header) return false;
    int32_t count = decode_i32(header + 8);
    if (!skip(f, layout.base - kHeaderBytes)) return false;
    for (int32_t i = 0; i < count; ++i) {
        if (i > 0 && !skip(f, layout.stride - kStockInfoBytes)) return false;
        if (plat::read_file(f, info, kStockInfoBytes) != static_cast<size_t>(kStockInfoBytes)) return false;
        if (record_holds(info, code)) return true;
    }
    return false;
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
    plat::ScopedFile held(f);
    bool found = find_record(f, *layout, code, info);
    held.close();
    if (found) return 0;
    log_line_str("GetStockInfo 没有找到股票:", code);
    return -1;
}
