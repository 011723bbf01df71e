// saveS and saveDay: whole chart series written to a file in one go. saveS
// writes parameter 1 bar by bar as dated self-data records (day charts and
// longer); saveDay writes the bars' times and closes as the day file. Each
// file is replaced as a whole in one step: its earlier content is gone on
// success and untouched on failure.
#include <vector>

#include "common/host_file.h"
#include "common/log.h"
#include "common/settings.h"
#include "datafiles/datafile_messages.h"
#include "datafiles/datafile_paths.h"
#include "datafiles/day_format.h"
#include "datafiles/exports.h"
#include "datafiles/selfdata_io.h"
#include "host/export_guard.h"

// param1: a series from a valid bar; param2: data number. Slots from
// param1_start receive param1; returns param1_start, or -1 after logging.
int unguarded::saveS(tagCALCINFO* ci_ptr) {
    const tagCALCINFO& ci = *ci_ptr;
    if (!ci.param1 || !ci.param2 || !ci.bars || !is_bar_index(ci, ci.param1_start) || !ci.stock_label) {
        log_line_str(kMsgSaveSParams, ci.stock_label ? ci.stock_label : "");
        return -1;
    }
    if (ci.period >= kPeriodTimeShare && ci.period <= kPeriodMin60) {
        log_line(kMsgSaveSPeriod);
        return -1;
    }
    int k = truncate_to_int(param_first(ci.param2));
    std::vector<SelfDataRecord> records;
    for (int i = ci.param1_start; i < ci.data_count; ++i) records.push_back({day_of(ci.bars[i].time), ci.param1[i]});
    char fn[kPathBytes];
    if (!selfdata_file_for_number(fn, sizeof fn, k, ci.stock_label, ci.label_flag) ||
        !write_selfdata_file(fn, records)) {
        log_line_str(kMsgSaveSInitFailed, fn);
        return -1;
    }
    for (int i = ci.param1_start; i < ci.data_count; ++i) ci.result[i] = ci.param1[i];
    return ci.param1_start;
}

// Day chart only. Writes the bars from param1_start (from the first bar when
// parameter 1 is a constant, which marks no bar) to the last; their slots
// receive the closes. Returns the first bar written, or -1 without a log
// line (wrong period, no such bar, file not written).
int unguarded::saveDay(tagCALCINFO* ci_ptr) {
    const tagCALCINFO& ci = *ci_ptr;
    if (ci.period != kPeriodDay || !ci.stock_label || !ci.bars) return -1;
    int start = ci.param1_start < 0 ? 0 : ci.param1_start;
    if (!is_bar_index(ci, start)) return -1;
    std::vector<unsigned char> bytes(static_cast<size_t>(ci.data_count - start) * kDayRecordBytes);
    for (int i = start; i < ci.data_count; ++i)
        encode_day_record(&bytes[static_cast<size_t>(i - start) * kDayRecordBytes],
                          DayRecord{ci.bars[i].time, ci.bars[i].close});
    char fn[kPathBytes];
    if (!day_file_for(fn, sizeof fn, ci) || !replace_file_contents(fn, bytes.data(), bytes.size())) return -1;
    for (int i = start; i < ci.data_count; ++i) ci.result[i] = ci.bars[i].close;
    return start;
}
