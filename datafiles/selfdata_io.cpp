// Whole-file reads and safe rewrites of self-data files.
#include "datafiles/selfdata_io.h"

#include <cstdint>

#include "common/capped_read.h"
#include "common/host_file.h"

bool read_selfdata_file(const char* path, std::vector<SelfDataRecord>* records, std::vector<unsigned char>* bytes) {
    std::vector<unsigned char> own;
    if (!bytes) bytes = &own;
    if (read_file_capped(path, kSelfDataFileCap, bytes) != CappedRead::whole) return false;
    *records = decode_selfdata_records(*bytes, SIZE_MAX);
    return true;
}

bool write_selfdata_file(const char* path, const std::vector<SelfDataRecord>& records,
                         const std::vector<unsigned char>* old) {
    std::vector<unsigned char> bytes = encode_selfdata_records(records);
    return old ? replace_file_contents(path, bytes.data(), bytes.size(), *old)
               : replace_file_contents(path, bytes.data(), bytes.size());
}
