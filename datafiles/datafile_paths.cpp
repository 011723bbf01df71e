// Data-file paths that refuse to be cut.
#include "datafiles/datafile_paths.h"

#include <cstring>

#include "common/file_name.h"
#include "common/paths.h"

namespace {
// A path that left no byte spare may have lost its end.
bool fits(const char* path, size_t cap) { return std::strlen(path) + 1 < cap; }

// A security code or data name, from a formula or another program, becomes
// one file or directory name: one with a separator, "..", a drive or a broken
// character would lead out of the data directory and is refused.
bool names_one_entry(const char* text) { return !text || !*text || is_safe_file_name(text); }
}  // namespace

bool selfdata_file_for_number(char* out, size_t cap, int k, const char* code, int index_flag) {
    if (!names_one_entry(code)) {
        out[0] = '\0';
        return false;
    }
    return make_selfdata_fn(out, cap, k, code, index_flag) && fits(out, cap);
}

bool selfdata_file_for_name(char* out, size_t cap, const char* name, const char* code) {
    if (!names_one_entry(name) || !names_one_entry(code)) {
        out[0] = '\0';
        return false;
    }
    return make_selfdata_fn(out, cap, name, code, 0) && fits(out, cap);
}

bool day_file_for(char* out, size_t cap, const tagCALCINFO& ci) {
    out[0] = '\0';
    if (!names_one_entry(ci.stock_label)) return false;
    day_path(out, cap, ci);
    return fits(out, cap);
}

bool value_file_for(char* out, size_t cap, int f) {
    data_file_path(out, cap, f);
    return fits(out, cap);
}
