// Whole-file encoding and decoding of self-data records.
#include "datafiles/selfdata_format.h"

std::vector<SelfDataRecord> decode_selfdata_records(const std::vector<unsigned char>& bytes, size_t limit) {
    size_t n = bytes.size() / kSelfDataRecordBytes;
    if (n > limit) n = limit;
    std::vector<SelfDataRecord> records(n);
    const unsigned char* p = bytes.data();
    for (size_t i = 0; i < n; ++i, p += kSelfDataRecordBytes) records[i] = decode_selfdata_record(p);
    return records;
}

std::vector<unsigned char> encode_selfdata_records(const std::vector<SelfDataRecord>& records) {
    std::vector<unsigned char> bytes(records.size() * kSelfDataRecordBytes);
    for (size_t i = 0; i < records.size(); ++i) encode_selfdata_record(&bytes[i * kSelfDataRecordBytes], records[i]);
    return bytes;
}
