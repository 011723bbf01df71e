// The host's investment files: a 520-byte header the library does not read,
// then 44-byte trade records to the end of the file. The library only reads
// them, and opens them for reading only, so a file the user made read-only
// or one the host holds open is still read. A file is read whole, up to its
// cap, and its records decoded from memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/call_record.h"

constexpr int kInvHeaderBytes = 520;
constexpr int kInvRecordBytes = 44;
constexpr int kInvCodeBytes = 10;  // security code field at offset 2
// The largest investment file read: 100 000 trades, decades of an active
// account. A larger file is refused unread.
constexpr size_t kInvMaxRecords = 100000;
constexpr size_t kInvFileCap = kInvHeaderBytes + kInvMaxRecords * kInvRecordBytes;

// Trade kinds the operations tell apart; any other kind counts for every one.
constexpr uint32_t kKindBuy = 2;
constexpr uint32_t kKindSell = 3;
constexpr uint32_t kKindSellNoPrice = 5;  // read as kKindSell with price 0

struct TradeRecord {
    char code[kInvCodeBytes + 1];  // the field, NUL-terminated
    uint32_t kind;
    int32_t time;  // seconds since 1970 (UTC)
    double price;
    double quantity;
    double fee_rate;  // a fraction of the price
};

TradeRecord decode_trade_record(const unsigned char* op);

// Whether the record's code field begins with the characters of `label`.
bool record_is_for(const TradeRecord& r, const char* label);

// An investment file as read: its bytes, and the whole records after the
// header (none in a file shorter than the header; a short tail is no record).
struct InvestmentFile {
    std::vector<unsigned char> bytes;
    size_t records() const;
    TradeRecord record(size_t i) const;
};

enum class InvRead {
    ok,
    cannot_open,
    unreadable,  // a read failed before the end
    too_large,   // over kInvFileCap: refused and logged
};
InvRead read_investment_file(const char* path, InvestmentFile* file);

// Key of the trade's day: its local date at 08:00:00. False (nothing
// stored) when the time cannot be turned into a calendar date and back.
bool trade_day_key(int32_t time, int64_t* key);

// Index of the bar stamped `key` between bars lo and hi (ascending times) by
// the host's halving search: an exact match gives its bar; a key between
// bars gives the next bar or -1 depending on where the halving meets it; a
// key before bar lo gives lo. -1 for a negative bound; hi is held below
// data_count.
int bar_at_time(const tagCALCINFO& ci, int64_t key, int lo, int hi);
