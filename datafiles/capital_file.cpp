// SAVEDATA_CAPITAL: a fixed three-record self-data file for the security,
// all three records of the same day: the capital value, the current value of
// parameter 1 and the average volume of the recent bars. The file is
// replaced as a whole in one step; a failure leaves the old one.
#include <vector>

#include "common/log.h"
#include "common/settings.h"
#include "datafiles/datafile_messages.h"
#include "datafiles/datafile_paths.h"
#include "datafiles/exports.h"
#include "datafiles/selfdata_io.h"
#include "host/export_guard.h"

namespace {

constexpr int kAverageBars = 60;
constexpr float kDefaultAverageVolume = 1000.0f;
constexpr int64_t kTimeShareShift = 28800;

// Mean volume of the last 60 bars (of all bars but the first on a shorter
// chart), summed as floats; 1000 when fewer than three bars would count.
float average_volume(const tagCALCINFO& ci) {
    int n = ci.data_count > kAverageBars ? kAverageBars : ci.data_count - 1;
    if (n <= 2) return kDefaultAverageVolume;
    float sum = 0.0f;
    for (int j = ci.data_count - n; j < ci.data_count; ++j) sum += ci.bars[j].volume;
    return sum / static_cast<float>(n);
}

}  // namespace

// param1: a series (its start must be a bar); param2: data number; param3:
// capital value; param4 must be absent. Last slot = the capital value as an
// integer; returns data_count - 1, or -1 after logging.
int unguarded::SAVEDATA_CAPITAL(tagCALCINFO* ci_ptr) {
    const tagCALCINFO& ci = *ci_ptr;
    if (!ci.param1 || !ci.param2 || !ci.param3 || ci.param4 || !ci.bars || !is_bar_index(ci, ci.param1_start) ||
        !ci.stock_label) {
        log_line(kMsgCapitalParams);
        return -1;
    }
    float average = average_volume(ci);
    int k = truncate_to_int(param_first(ci.param2));
    int32_t day = day_of(static_cast<int64_t>(ci.bars[ci.param1_start].time) - kTimeShareShift);
    int last = last_index(ci);
    std::vector<SelfDataRecord> records = {
        {day, static_cast<float>(truncate_to_int(param_first(ci.param3)))},
        {day, ci.param1[last]},
        {day, static_cast<float>(truncate_to_int(average))},
    };
    char fn[kPathBytes];
    if (!selfdata_file_for_number(fn, sizeof fn, k, ci.stock_label, 0) || !write_selfdata_file(fn, records)) {
        log_line_str(kMsgCapitalOpenFailed, fn);
        return -1;
    }
    ci.result[last] = records[0].value;
    return last;
}
