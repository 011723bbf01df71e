// Reading the host's investment files.
#include "invest/investment_file.h"

#include <cstring>

#include "common/capped_read.h"
#include "common/coding.h"
#include "platform/platform.h"

namespace {

double decode_f64(const unsigned char* p) {
    uint64_t u = static_cast<uint64_t>(decode_u32(p)) | (static_cast<uint64_t>(decode_u32(p + 4)) << 32);
    double v;
    std::memcpy(&v, &u, 8);
    return v;
}

}  // namespace

TradeRecord decode_trade_record(const unsigned char* op) {
    TradeRecord r;
    std::memcpy(r.code, op + 2, kInvCodeBytes);
    r.code[kInvCodeBytes] = '\0';
    r.kind = decode_u32(op + 12);
    r.time = decode_i32(op + 16);
    r.price = decode_f64(op + 20);
    r.quantity = decode_f64(op + 28);
    r.fee_rate = decode_f64(op + 36);
    return r;
}

bool record_is_for(const TradeRecord& r, const char* label) {
    return std::strncmp(r.code, label, std::strlen(label)) == 0;
}

size_t InvestmentFile::records() const {
    return bytes.size() < kInvHeaderBytes ? 0 : (bytes.size() - kInvHeaderBytes) / kInvRecordBytes;
}

TradeRecord InvestmentFile::record(size_t i) const {
    return decode_trade_record(bytes.data() + kInvHeaderBytes + i * kInvRecordBytes);
}

InvRead read_investment_file(const char* path, InvestmentFile* file) {
    switch (read_file_capped(path, kInvFileCap, &file->bytes)) {
    case CappedRead::whole: return InvRead::ok;
    case CappedRead::too_large: return InvRead::too_large;
    case CappedRead::read_error: return InvRead::unreadable;
    case CappedRead::failed: break;
    }
    return InvRead::cannot_open;
}

bool trade_day_key(int32_t time, int64_t* key) {
    plat::LocalTime t;
    if (!plat::local_time(time, &t)) return false;
    t.hour = 8;
    t.minute = 0;
    t.second = 0;
    return plat::seconds_from_local(t, key);
}

int bar_at_time(const tagCALCINFO& ci, int64_t key, int lo, int hi) {
    if (hi > ci.data_count - 1) hi = ci.data_count - 1;
    auto at = [&ci](int i) { return static_cast<int64_t>(ci.bars[i].time); };
    for (;;) {
        if (lo < 0 || hi < 0 || lo >= ci.data_count) return -1;
        if (at(lo) == key) return lo;
        if (at(hi) == key) return hi;
        if (at(lo) > key) return lo;
        if (at(hi) < key) return -1;
        // With ascending times lo + 1 <= hi here; the test keeps bars out
        // of order from leading the search outside the range.
        if (lo + 2 >= hi) return lo + 1 <= hi && at(lo + 1) == key ? lo + 1 : -1;
        int mid = lo + (hi - lo) / 2;
        if (at(mid) == key) return mid;
        if (at(mid) < key) {
            lo = mid + 1;
            hi = hi - 1;
        } else {
            hi = mid - 1;
            lo = lo + 1;
        }
    }
}
