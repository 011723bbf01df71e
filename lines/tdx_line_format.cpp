// Encoding and matching of TDX line records.
#include "lines/tdx_line_format.h"

#include <cstring>

#include "common/coding.h"

void encode_tdx_line(const TdxLine& line, TdxLineRecord* out) {
    unsigned char* r = out->bytes;
    std::memset(r, 0, kTdxRecordBytes);
    size_t code_len = 0;
    while (code_len < kTdxCodeBytes && line.code[code_len] != 0) ++code_len;
    std::memcpy(r + kTdxCodeOffset, line.code, code_len);
    std::memcpy(r + kTdxKindOffset, kTdxKind, sizeof kTdxKind - 1);
    encode_i32(r + kTdxFixed17Offset, kTdxFixed17);
    encode_i32(r + kTdxFixed21Offset, kTdxFixed21);
    encode_i32(r + kTdxDateOffset, line.date);
    encode_f32(r + kTdxPriceOffset, line.price);
    encode_i32(r + kTdxSequenceOffset, line.sequence);
    encode_i32(r + kTdxFixed125Offset, kTdxFixed125);
    encode_i32(r + kTdxFixed133Offset, kTdxFixed133);
    encode_i32(r + kTdxColourOffset, line.colour);
}

bool tdx_record_is_ours(const unsigned char* record, const TdxLineRecord& mine) {
    const unsigned char* m = mine.bytes;
    // Date, price and sequence lie together; the colour is checked apart.
    const size_t own_from = kTdxDateOffset, own_end = kTdxSequenceOffset + 4;
    const size_t colour_end = kTdxColourOffset + 4;
    if (std::memcmp(record, m, own_from) != 0 ||
        std::memcmp(record + own_end, m + own_end, kTdxColourOffset - own_end) != 0 ||
        std::memcmp(record + colour_end, m + colour_end, kTdxRecordBytes - colour_end) != 0)
        return false;
    const int32_t colour = decode_i32(record + kTdxColourOffset);
    return colour == kTdxColourAtOrBelow || colour == kTdxColourAbove;
}
