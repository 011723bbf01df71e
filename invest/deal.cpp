// Deal: futures trade records from a text file (GBK, comma-separated, a
// title line first) put on the bars that contain them. Each slot packs the
// bar's quantity and average price for the chosen direction. The file is
// only read, and a bad record line is logged and skipped, never fatal.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/capped_read.h"
#include "common/log.h"
#include "common/paths.h"
#include "common/settings.h"
#include "common/text.h"
#include "host/export_guard.h"
#include "invest/deal_text.h"
#include "invest/exports.h"
#include "invest/invest_messages.h"

namespace {

constexpr int kLineBytes = 300;    // s[300]: a line, its newline and the NUL
constexpr int kTitleFields = 100;  // word[]: fields of the title line
constexpr int kRecordFields = 200; // sp[]: fields of a record line
constexpr int kLabelBytes = 20;    // sklab[20]
// The largest trade-record file read: 8 MiB, some 80 000 records of a
// hundred characters, years of an active account's trades. A larger file
// is refused unread.
constexpr size_t kDealFileCap = 8u << 20;

// Walks the lines of the file's bytes as a text-mode read sees them: CR LF
// is one line end. Each line comes without its end, in a 300-byte buffer
// that holds 299 characters; `too_long` says that a longer line was cut to
// its first 299 (the rest of it is passed over: a piece from inside a line
// has no columns in their places).
class LineReader {
public:
    explicit LineReader(const std::vector<unsigned char>& bytes) : b_(bytes) {}
    bool next(char (&s)[kLineBytes], bool* too_long) {
        if (pos_ >= b_.size()) return false;
        size_t end = pos_;
        while (end < b_.size() && b_[end] != '\n') ++end;
        size_t len = end - pos_;
        if (len > 0 && end < b_.size() && b_[end - 1] == '\r') --len;
        *too_long = len > kLineBytes - 1;
        if (*too_long) len = kLineBytes - 1;
        std::memcpy(s, b_.data() + pos_, len);
        s[len] = '\0';
        pos_ = end + 1;
        return true;
    }

private:
    const std::vector<unsigned char>& b_;
    size_t pos_ = 0;
};

int highest_column(const DealColumns& c) {
    int h = c.time;
    for (int v : {c.contract, c.lots, c.price})
        if (v > h) h = v;
    return h;
}

// The first bar whose time range (after the bar before, up to its own time)
// holds t; the caller has placed t after bar 0 and not after the last bar.
int bar_holding(const tagCALCINFO& ci, int64_t t) {
    for (int i = 1; i < ci.data_count; ++i)
        if (ci.bars[i - 1].time < t && t <= ci.bars[i].time) return i;
    return -1;
}

// One record line: checks, then the trade's value on its bar. Of a line cut
// short (`cut`), a last field that no separator ends may have lost its
// tail, so it does not count as one of the line's columns.
void take_record(const tagCALCINFO& ci, char* s, bool cut, const DealColumns& cols, const char* sklab) {
    const size_t len = std::strlen(s);
    const bool last_field_whole = !cut || (len > 0 && s[len - 1] == ',');
    char* sp[kRecordFields];
    int n = split_fields(s, ",", sp, kRecordFields);
    int whole_fields = last_field_whole ? n : n - 1;
    if (n < 6 || whole_fields <= highest_column(cols)) {
        log_line(kMsgDealRecordFormat);
        return;
    }
    char* contract = sp[cols.contract];
    if (!shorten_contract(contract)) {
        log_line(kMsgDealRecordFormat);
        return;
    }
    if (!std::strstr(contract, sklab)) {
        char ss[kLineBytes];
        copy_text(ss, sizeof ss, contract);
        append_text(ss, sizeof ss, "<-->");
        append_text(ss, sizeof ss, sklab);
        log_line_str(kMsgDealOtherContract, ss);
        return;
    }
    int64_t t = -1;
    if (!parse_trade_time(sp[cols.time], &t) || t == 0) {
        log_line_time(kMsgDealTime, t);
        return;
    }
    float value = static_cast<float>(std::strtod(sp[cols.lots], nullptr)) * 10000.0f +
                  static_cast<float>(std::strtod(sp[cols.price], nullptr));
    if (!std::isfinite(value)) {
        log_line(kMsgDealRecordFormat);
        return;
    }
    if (value == 0.0f || t > ci.bars[last_index(ci)].time) return;
    if (t <= ci.bars[0].time) {
        ci.result[0] = value;
        return;
    }
    int i = bar_holding(ci, t);
    if (i < 0) return;
    ci.result[i] = ci.result[i] == 0.0f ? value : merge_trades(ci.result[i], value);
}

}  // namespace

// param2: file number (0 when absent); param3: mode 1..4 (1 when absent):
// buy to open, sell to open, buy to close, sell to close. Fills slots from
// param1_start (from 0 when negative) and returns param1_start, or -1.
int unguarded::Deal(tagCALCINFO* ci_ptr) {
    const tagCALCINFO& ci = *ci_ptr;
    int number = ci.param2 ? truncate_to_int(param_first(ci.param2)) : 0;
    int mode = ci.param3 ? truncate_to_int(param_first(ci.param3)) : 1;
    const char* buysell;
    const char* openclose;
    if (!mode_words(mode, &buysell, &openclose)) {
        log_line_int(kMsgDealMode, mode);
        return -1;
    }
    if (ci.data_count < 1 || ci.param1_start >= ci.data_count || !ci.stock_label || !ci.bars) return -1;
    char fn[kPathBytes];
    data_file_path(fn, sizeof fn, number);
    std::vector<unsigned char> bytes;
    // A path that filled its buffer was cut and names another file.
    if (std::strlen(fn) >= sizeof fn - 1) {
        log_line_str(kMsgDealOpen, fn);
        return -1;
    }
    switch (read_file_capped(fn, kDealFileCap, &bytes)) {
    case CappedRead::whole: break;
    case CappedRead::too_large: return -1;  // logged
    case CappedRead::failed:
    case CappedRead::read_error: log_line_str(kMsgDealOpen, fn); return -1;
    }
    LineReader lines(bytes);
    char s[kLineBytes] = "";
    bool too_long = false;
    lines.next(s, &too_long);  // a title cut short keeps its first fields
    char* word[kTitleFields];
    DealColumns cols;
    if (!recognise_columns(word, split_fields(s, ",", word, kTitleFields), &cols)) {
        log_line(kMsgDealTitle);
        return -1;
    }
    for (int i = ci.param1_start < 0 ? 0 : ci.param1_start; i < ci.data_count; ++i) ci.result[i] = 0.0f;
    char sklab[kLabelBytes];
    chart_contract(ci.stock_label, sklab, sizeof sklab);
    if (ci.period < kPeriodMin1 || ci.period > kPeriodMonth) return -1;
    while (lines.next(s, &too_long)) {
        if (!std::strstr(s, buysell) || !std::strstr(s, openclose)) continue;
        take_record(ci, s, too_long, cols, sklab);
    }
    return ci.param1_start;
}
