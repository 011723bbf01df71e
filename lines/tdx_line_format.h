// One drawing record of the TDX terminal's line file (T0002\line.dat under
// its installation directory): 298 bytes, no file header, integers 32-bit
// little-endian, every byte not named below 0. Shared by the writer and the
// tests so the offsets are stated once.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kTdxRecordBytes = 298;
// The largest line file read: 100 000 records (about 30 MB), the six
// levels TDXlineAll keeps of every security of the terminal's markets, many
// times over. A larger file is refused unread (and never rewritten).
constexpr size_t kTdxLineMaxRecords = 100000;
constexpr size_t kTdxLineFileCap = kTdxLineMaxRecords * kTdxRecordBytes;

constexpr size_t kTdxCodeOffset = 1;  // security code, NUL-padded
constexpr size_t kTdxCodeBytes = 8;   // an 8-character code fills it with no NUL
constexpr size_t kTdxKindOffset = 9;  // "STANDK" and two 0 bytes
constexpr size_t kTdxKindBytes = 8;
constexpr size_t kTdxFixed17Offset = 17;  // 262144 (00 00 04 00)
constexpr size_t kTdxFixed21Offset = 21;  // 4138 (2A 10 00 00)
constexpr size_t kTdxDateOffset = 25;     // yyyymmdd of the anchor bar, local calendar
constexpr size_t kTdxPriceOffset = 29;    // float: the level's price
constexpr size_t kTdxSequenceOffset = 33; // 0, 1, 2 ... within one call
constexpr size_t kTdxFixed125Offset = 125;  // 1
constexpr size_t kTdxFixed133Offset = 133;  // 2
constexpr size_t kTdxColourOffset = 137;

constexpr char kTdxKind[] = "STANDK";
constexpr int32_t kTdxFixed17 = 262144;
constexpr int32_t kTdxFixed21 = 4138;
constexpr int32_t kTdxFixed125 = 1;
constexpr int32_t kTdxFixed133 = 2;
constexpr int32_t kTdxColourAtOrBelow = 255;  // red: level at or below the reference close
constexpr int32_t kTdxColourAbove = 65280;    // green: level above it

struct TdxLineRecord {
    unsigned char bytes[kTdxRecordBytes];
};
static_assert(sizeof(TdxLineRecord) == 298, "a line record is 298 bytes");
static_assert(kTdxCodeOffset + kTdxCodeBytes == kTdxKindOffset, "code field ends where the kind begins");
static_assert(kTdxKindOffset + kTdxKindBytes == kTdxFixed17Offset, "kind field is 8 bytes");
static_assert(kTdxColourOffset + 4 + 157 == kTdxRecordBytes, "157 zero bytes end the record");

// What one record says.
struct TdxLine {
    const char* code;  // at most kTdxCodeBytes characters are stored
    int32_t date;      // yyyymmdd
    float price;
    int32_t sequence;
    int32_t colour;
};

// Fills all 298 bytes of `out` from `line`. The code is cut to its field.
void encode_tdx_line(const TdxLine& line, TdxLineRecord* out);

// Whether `record` is one this library wrote for the code of `mine` (a
// record encode_tdx_line made for that code): every byte is what
// encode_tdx_line puts there, the code field included, but for the date,
// price and sequence number, and the colour is one of the two it uses. Any
// other record of the security is a line the user drew in the terminal.
bool tdx_record_is_ours(const unsigned char* record, const TdxLineRecord& mine);
