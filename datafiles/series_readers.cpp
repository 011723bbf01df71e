// ReadData and readfile: files read back into the result series. ReadData
// lines the dated records of a self-data file up with the chart's bars;
// readfile puts the bare floats of a value file into the slots before the
// last, backwards. Both use at most 4000 values, as the formulas that use
// them expect (ReadData the newest 4000, the ones that can meet the chart's
// bars; readfile the first 4000, and reads no more of the file), and never
// write a slot outside the series.
#include <vector>

#include "common/capped_read.h"
#include "common/log.h"
#include "common/settings.h"
#include "datafiles/datafile_messages.h"
#include "datafiles/datafile_paths.h"
#include "datafiles/exports.h"
#include "datafiles/selfdata_format.h"
#include "host/export_guard.h"

namespace {

constexpr size_t kReadLimit = 4000;

// Puts each record's value on its bar, walking bars from `start` and records
// in step: a record on a bar's time goes on it; one between two bars goes on
// the earlier; a bar before the next record's bar gets 0; a record older than
// the bar is skipped. Slots past the last bar reached stay as they were. The
// `count` records are decoded from `bytes` as the walk reaches them.
void align_records(const tagCALCINFO& ci, int start, const unsigned char* bytes, size_t count) {
    const BarRecord* bars = ci.bars;
    float* result = ci.result;
    const int n = ci.data_count;
    int j = start;
    size_t r = 0;
    while (r < count && j < n) {
        const unsigned char* rec = bytes + r * kSelfDataRecordBytes;
        const int32_t day = decode_i32(rec + kSelfDataDayOffset);
        const int32_t bar = bars[j].time;
        if (bar > day) {
            ++r;
        } else if (bar == day || j == n - 1 || bars[j + 1].time > day) {
            result[j++] = decode_f32(rec + kSelfDataValueOffset);
            ++r;
        } else {
            result[j++] = 0.0f;
        }
    }
}

}  // namespace

// param1 marks the first bar (a constant marks none: from the first bar);
// param2: data number; param3 (optional): fill only the last m bars. Slots
// before the start are set to 0 even when the file is missing. Returns the
// start, or -1 without a log line (but for a file over its cap). A history
// of 4000 records or more is logged, and its newest 4000 are lined up.
int unguarded::ReadData(tagCALCINFO* ci_ptr) {
    const tagCALCINFO& ci = *ci_ptr;
    if (!ci.param1 || !ci.param2 || !ci.stock_label || !ci.bars) return -1;
    int start = ci.param1_start < 0 ? 0 : ci.param1_start;
    if (!is_bar_index(ci, start)) return -1;
    if (ci.param3) {
        int m = truncate_to_int(param_first(ci.param3));
        if (m > 0 && start < ci.data_count - m) start = ci.data_count - m;
    }
    for (int i = 0; i < start; ++i) ci.result[i] = 0.0f;
    int k = truncate_to_int(param_first(ci.param2));
    char fn[kPathBytes];
    std::vector<unsigned char> bytes;
    if (!selfdata_file_for_number(fn, sizeof fn, k, ci.stock_label, ci.label_flag) ||
        read_file_capped(fn, kSelfDataFileCap, &bytes) != CappedRead::whole)
        return -1;
    size_t count = bytes.size() / kSelfDataRecordBytes, first = 0;
    if (count >= kReadLimit) {
        log_line(kMsgReadDataTooMany);
        first = count - kReadLimit;
        count = kReadLimit;
    }
    align_records(ci, start, bytes.data() + first * kSelfDataRecordBytes, count);
    return start;
}

// File number: param1 when it is a constant, else param2. The last slot
// receives the count of values read; value i goes to slot data_count - 2 - i
// while one is left. Returns the lowest slot filled, or -1 (no file, no
// value, or no slot before the last).
int unguarded::readfile(tagCALCINFO* ci_ptr) {
    const tagCALCINFO& ci = *ci_ptr;
    const float* number = ci.param1_start < 0 ? ci.param1 : ci.param2;
    if (!number || ci.data_count < 1) return -1;
    char fn[kPathBytes];
    std::vector<unsigned char> bytes;
    if (!value_file_for(fn, sizeof fn, truncate_to_int(param_first(number))) ||
        read_file_prefix(fn, kReadLimit * sizeof(float), &bytes) != CappedRead::whole)
        return -1;
    size_t n = bytes.size() / sizeof(float);
    if (n == 0) return -1;
    int last = last_index(ci);
    ci.result[last] = static_cast<float>(n);
    int lowest = -1;
    for (size_t i = 0; i < n && static_cast<int>(i) < last; ++i) {
        lowest = last - 1 - static_cast<int>(i);
        ci.result[lowest] = decode_f32(&bytes[i * sizeof(float)]);
    }
    return lowest;
}
