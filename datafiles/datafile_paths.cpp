// Data-file paths that refuse to be cut.
#include "datafiles/datafile_paths.h"

#include <cstring>

#include "common/paths.h"

namespace {
// A path that left no byte spare may have lost its end.
bool fits(const char* path, size_t cap) { return std::strlen(path) + 1 < cap; }
}  // namespace

bool selfdata_file_for_number(char* out, size_t cap, int k, const char* code, int index_flag) {
    return make_selfdata_fn(out, cap, k, code, index_flag) && fits(out, cap);
}

bool selfdata_file_for_name(char* out, size_t cap, const char* name, const char* code) {
    return make_selfdata_fn(out, cap, name, code, 0) && fits(out, cap);
}

bool day_file_for(char* out, size_t cap, const tagCALCINFO& ci) {
    day_path(out, cap, ci);
    return fits(out, cap);
}

bool value_file_for(char* out, size_t cap, int f) {
    data_file_path(out, cap, f);
    return fits(out, cap);
}
