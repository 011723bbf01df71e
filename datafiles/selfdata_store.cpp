// savedata and savedataR: the current value of a formula series stored as
// the value of its day in the security's self-data history; and savedata0,
// the same kind of store for callers that are not formulas (the alarm
// bridge). Data numbers of 10 or less hold only the latest record; higher
// numbers keep one record per day, merged by date. The whole history is read
// and rewritten in one step, so no record is ever lost and a failed write
// leaves the file as it was.
#include <vector>

#include "common/capped_read.h"
#include "common/host_file.h"
#include "common/log.h"
#include "common/settings.h"
#include "datafiles/datafile_messages.h"
#include "datafiles/datafile_paths.h"
#include "datafiles/exports.h"
#include "datafiles/selfdata_io.h"
#include "datafiles/selfdata_merge.h"
#include "host/export_guard.h"
#include "platform/platform.h"

namespace {

// Data numbers up to this one keep only the latest record.
constexpr int kLatestOnlyUpTo = 10;
// The time-share chart stamps its bars 8 hours ahead of UTC.
constexpr int64_t kTimeShareShift = 28800;

// The host reads the return as the first valid slot and knows no index below
// -1 ("no slot"), so none is ever handed back.
int as_first_slot(long long i) { return i < -1 ? -1 : static_cast<int>(i); }

// Day of the stored value by the chart period. False when there is none: an
// unknown period (logged) or, on the time-share chart, no bar at
// param1_start (a constant parameter 1).
bool value_day(const tagCALCINFO& ci, int32_t* day) {
    int last = last_index(ci);
    switch (ci.period) {
    case kPeriodTimeShare:
        if (!is_bar_index(ci, ci.param1_start)) return false;
        *day = day_of(static_cast<int64_t>(ci.bars[ci.param1_start].time) - kTimeShareShift);
        return true;
    case kPeriodTick:
    case kPeriodMin1:
    case kPeriodMin5:
    case kPeriodMin15:
    case kPeriodMin30:
    case kPeriodMin60:
    case kPeriodDay:
        *day = day_of(ci.bars[last].time);
        return true;
    default:
        log_line_int(kMsgSavedataPeriod, ci.period);
        return false;
    }
}

// Stores parameter 1's current value for the chart's security under data
// number k. Returns data_count - 1 for a new (or latest-only) file,
// data_count - n - 1 after n stored records when appended, param1_start when
// put before, between or over stored days, 0 when that day already holds the
// value; -1 for a refused call or, after logging, a file not written.
int store_value(const tagCALCINFO& ci) {
    if (!ci.param2) return -1;
    if (!ci.param1 || ci.data_count < 1 || !ci.stock_label || !ci.bars) return -1;
    float v = param1_current(ci);
    if (ci.param3 && param_first(ci.param3) == v) return -1;  // a NaN never equals the skip value
    int k = truncate_to_int(param_first(ci.param2));
    char fn[kPathBytes];
    bool path_ok = selfdata_file_for_number(fn, sizeof fn, k, ci.stock_label, ci.label_flag);
    int last = last_index(ci);
    if (ci.bars[last].close <= 0.0f) {
        log_line_str(kMsgSavedataClose, fn);
        return -1;
    }
    SelfDataRecord rec{0, v};
    if (!value_day(ci, &rec.day)) return -1;
    ci.result[last] = v;

    // A history is read first and probed for only when it cannot be read:
    // the outcomes of probing first, with one look at the disk fewer.
    std::vector<SelfDataRecord> history;
    std::vector<unsigned char> stored_bytes;
    bool have_history = path_ok && k > kLatestOnlyUpTo && read_selfdata_file(fn, &history, &stored_bytes);
    if (!have_history && (!path_ok || k <= kLatestOnlyUpTo || !plat::file_exists(fn))) {
        if (!path_ok || !write_selfdata_file(fn, {rec})) {
            log_line_str2(kMsgSelfDataInitFailed, ci.stock_label, fn);
            return -1;
        }
        return last;
    }
    if (!have_history) {
        log_line_str2(kMsgSelfDataOpenFailed, ci.stock_label, fn);
        return -1;
    }
    size_t stored = history.size();
    MergeOutcome outcome = merge_day_value(&history, rec);
    if (outcome == MergeOutcome::unchanged) return 0;
    if (!write_selfdata_file(fn, history, &stored_bytes)) {
        log_line_str2(kMsgSelfDataOpenFailed, ci.stock_label, fn);
        return -1;
    }
    if (stored == 0) return last;
    if (outcome == MergeOutcome::appended)
        return as_first_slot(static_cast<long long>(last) - static_cast<long long>(stored));
    return as_first_slot(ci.param1_start);
}

}  // namespace

// param1: the value; param2: data number; param3 (optional): skip value.
// Last slot = the value; returns what store_value reports.
int unguarded::savedata(tagCALCINFO* ci) { return store_value(*ci); }

// The same store under the type-decorated symbol formulas also use.
int unguarded::savedataR(tagCALCINFO* ci) { return store_value(*ci); }

// One record (day of `time`, value) into <name>\<market><code>.dat: a record
// of the same day as the file's last one replaces it, any other is added at
// the end (no order test, as callers come in time order). 0, or -1 after
// logging a file that could not be created, read or rewritten.
int unguarded::savedata0(char* name, long time, char* code, float value) {
    if (!name || !code) return -1;
    unsigned char rec[kSelfDataRecordBytes];
    encode_selfdata_record(rec, SelfDataRecord{day_of(time), value});
    char fn[kPathBytes];
    bool path_ok = selfdata_file_for_name(fn, sizeof fn, name, code);
    if (!path_ok || !plat::file_exists(fn)) {
        if (!path_ok || !replace_file_contents(fn, rec, sizeof rec)) {
            log_line_str2(kMsgSelfDataInitFailed, code, fn);
            return -1;
        }
        return 0;
    }
    std::vector<unsigned char> bytes;
    if (read_file_capped(fn, kSelfDataFileCap, &bytes) != CappedRead::whole) {
        log_line_str2(kMsgSelfDataOpenFailed, code, fn);
        return -1;
    }
    // The last record is the 8 bytes before the end, as the file is laid out.
    size_t size = bytes.size();
    bool same_day = size >= kSelfDataRecordBytes &&
                    decode_i32(&bytes[size - kSelfDataRecordBytes] + kSelfDataDayOffset) ==
                        decode_i32(rec + kSelfDataDayOffset);
    std::vector<unsigned char> next(bytes.begin(), bytes.end() - (same_day ? kSelfDataRecordBytes : 0));
    next.insert(next.end(), rec, rec + sizeof rec);
    if (!replace_file_contents(fn, next.data(), next.size(), bytes)) {
        log_line_str2(kMsgSelfDataOpenFailed, code, fn);
        return -1;
    }
    return 0;
}
