// The host's block file, as the library reads and writes it: a 4-byte header
// word, then 12-byte records to the end of the file. A record is an 8-byte
// code key (NUL-padded, no NUL when all 8 bytes are used) and 4 bytes the
// library writes as zero and never reads. The number of records is not
// stored; it is the number of whole records after the header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "common/coding.h"

// Header word of the host's block format (bytes A5 00 51 FF on disk).
constexpr uint32_t kBlockHeaderWord = 0xFF5100A5u;
constexpr size_t kBlockHeaderBytes = 4;
constexpr size_t kBlockCodeBytes = 8;     // code key field
constexpr size_t kBlockCodeEndBytes = 4;  // code_end, written as zero
constexpr size_t kBlockRecordBytes = kBlockCodeBytes + kBlockCodeEndBytes;

// The largest block file read: 100 000 codes, several times every security
// the host lists in all its markets. A larger file is no block of the host's
// and is refused unread (and never rewritten).
constexpr size_t kBlockMaxRecords = 100000;
constexpr size_t kBlockFileCap = kBlockHeaderBytes + kBlockMaxRecords * kBlockRecordBytes;

// skcode[20]: the buffer a code key is built in (prefix, code, NUL).
constexpr size_t kCodeKeyBytes = 20;
// A copy of one record's code with its NUL, as Sknumber_in_block hands it out.
constexpr size_t kLastCodeBytes = kBlockCodeBytes + 1;

// The record as laid out on disk; only used to check the sizes above.
struct BlockRecordLayout {
    unsigned char code[kBlockCodeBytes];
    unsigned char code_end[kBlockCodeEndBytes];
};
static_assert(sizeof(BlockRecordLayout) == 12, "a block record is 12 bytes");
static_assert(kBlockRecordBytes == 12, "a block record is 12 bytes");
static_assert(kBlockHeaderBytes == sizeof(uint32_t), "the header is one 32-bit word");
static_assert(kCodeKeyBytes > kBlockCodeBytes, "a key buffer holds a full code field and its NUL");

// Writes the header word into 4 bytes.
inline void encode_block_header(unsigned char* out) { encode_u32(out, kBlockHeaderWord); }

// The header word of a file's first 4 bytes.
inline uint32_t decode_block_header(const unsigned char* in) { return decode_u32(in); }

// Writes one record for `key` (at most 8 characters; the caller has checked)
// into 12 bytes: the key, zero bytes to fill the code field, then code_end.
inline void encode_block_record(unsigned char* out, const char* key) {
    std::memset(out, 0, kBlockRecordBytes);
    size_t len = strnlen(key, kBlockCodeBytes);
    std::memcpy(out, key, len);
}

// Whether a record's code equals `key` as NUL-terminated text compared over
// at most 8 bytes: a 7-character key matches "same 7 characters + NUL" and
// not an 8-character code that begins with them.
inline bool block_record_matches(const unsigned char* record, const char* key) {
    for (size_t i = 0; i < kBlockCodeBytes; ++i) {
        if (record[i] != static_cast<unsigned char>(key[i])) return false;
        if (key[i] == '\0') return true;
    }
    return true;
}

// Copies a record's 8 code bytes and a NUL into `out` (kLastCodeBytes bytes).
inline void decode_block_code(const unsigned char* record, char* out) {
    std::memcpy(out, record, kBlockCodeBytes);
    out[kBlockCodeBytes] = '\0';
}
