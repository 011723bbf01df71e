// Save2Mt4: the whole history file written anew beside the old one and moved
// over it in one step, so that MT4 never reads a half-written file, then the
// reload command posted (not sent: the host never waits for MT4).
#include "bridges/mt4.h"

#include <cstring>
#include <string>

#include "common/coding.h"
#include "common/file_name.h"
#include "common/host_file.h"
#include "common/log.h"
#include "common/paths.h"
#include "common/rehearsal.h"
#include "common/settings.h"
#include "common/text.h"
#include "host/export_guard.h"
#include "platform/platform.h"
#include "platform/scoped_file.h"
#include "platform/windows.h"

namespace {

const char kCopyright[] = "(C)opyright 2003, MetaQuotes Software Corp.";

void encode_f64(unsigned char* p, double v) {
    uint64_t u;
    std::memcpy(&u, &v, 8);
    encode_u32(p, static_cast<uint32_t>(u));
    encode_u32(p + 4, static_cast<uint32_t>(u >> 32));
}

// Posts the reload command to the window whose handle the MT4 side left in
// the file; a missing or short file means no MT4 chart waits for it.
void notify_mt4(const char* symbol, const char* minutes) {
    char fn[kPathBytes];
    path_setting(fn, sizeof fn, "MT4_FILE_PATH");
    append_text(fn, sizeof fn, symbol);
    append_text(fn, sizeof fn, "-");
    append_text(fn, sizeof fn, minutes);
    append_text(fn, sizeof fn, ".HWND");
    plat::ScopedFile f(plat::open_file(fn, "rb"));
    if (!f) return;
    unsigned char handle[4];
    if (plat::read_file(f.get(), handle, sizeof handle) != sizeof handle) return;
    if (rehearsing()) {
        const std::string w = std::to_string(decode_u32(handle));
        log_rehearsal({"会向 MT4 窗口 ", w.c_str(), " 投递重新读取命令 (", symbol, ",", minutes, ")"});
    } else {
        plat::post_message(decode_u32(handle), kWmCommand, kMt4Refresh, 0);
    }
}

}  // namespace

const char* mt4_market_prefix(const char* code, int index_flag) {
    signed char first = static_cast<signed char>(code[0]);
    if (index_flag) {
        if (first >= '9') return "B$";
        return compare_signed(code, "399001") < 0 ? "SH" : "SZ";
    }
    if (std::strlen(code) < 6) return "HK";
    if (first >= '9') return "B$";
    return compare_signed(code, "600000") < 0 ? "SZ" : "SH";
}

int mt4_period_minutes(int period) {
    switch (period) {
        case kPeriodMin1: return 1;
        case kPeriodMin5: return 5;
        case kPeriodMin15: return 15;
        case kPeriodMin30: return 30;
        case kPeriodMin60: return 60;
        case kPeriodDay: return 1440;
        case kPeriodWeek: return 10080;
        case kPeriodMonth: return 43200;
        default: return 0;
    }
}

void mt4_symbol(const tagCALCINFO& ci, char* out, size_t cap) {
    const char* code = ci.stock_label ? ci.stock_label : "";
    char skcode[20];
    copy_text(skcode, sizeof skcode, mt4_market_prefix(code, ci.label_flag));
    append_text(skcode, sizeof skcode, code);
    copy_text(out, cap < kMt4SymbolBytes ? cap : kMt4SymbolBytes, skcode);
}

std::vector<unsigned char> mt4_history_bytes(const char* symbol, int minutes, const BarRecord* bars, int first,
                                             int count) {
    std::vector<unsigned char> out(kMt4HeaderBytes + static_cast<size_t>(count - first) * kMt4RecordBytes, 0);
    unsigned char* head = out.data();
    encode_i32(head, 400);
    std::memcpy(head + 4, kCopyright, sizeof kCopyright);
    copy_text(reinterpret_cast<char*>(head + 68), kMt4SymbolBytes, symbol);
    encode_i32(head + 80, minutes);
    encode_i32(head + 84, 2);  // digits; timesign, last_sync and the reserved words stay 0
    unsigned char* hq = head + kMt4HeaderBytes;
    for (int i = first; i < count; ++i, hq += kMt4RecordBytes) {
        const BarRecord& b = bars[i];
        encode_i32(hq, static_cast<int32_t>(static_cast<uint32_t>(b.time) + 28800u));  // Beijing time
        encode_f64(hq + 4, b.open);
        encode_f64(hq + 12, b.low);
        encode_f64(hq + 20, b.high);
        encode_f64(hq + 28, b.close);
        encode_f64(hq + 36, b.volume);
    }
    return out;
}

int unguarded::Save2Mt4(tagCALCINFO* ci) {
    char fn[kPathBytes];
    path_setting(fn, sizeof fn, "MT4_HST_PATH");
    if (fn[0] == '\0') {
        log_line("MT4 路径未设置");
        return -1;
    }
    int minutes = mt4_period_minutes(ci->period);
    if (minutes == 0) return -1;
    int first = ci->param1_start;
    if (first < 0 || first >= ci->data_count || !ci->bars) return -1;  // no bar to export

    char symbol[kMt4SymbolBytes];
    mt4_symbol(*ci, symbol, sizeof symbol);
    // The symbol comes from the chart's label and names the history file:
    // one that would lead out of the history directory is refused.
    if (symbol[0] != '\0' && !is_safe_file_name(symbol)) {
        log_line_str("Save2Mt4 代码不能作文件名:", symbol);
        return -1;
    }
    char ss[30];
    ss[0] = '\0';
    append_int(ss, sizeof ss, minutes);
    append_text(fn, sizeof fn, symbol);
    append_text(fn, sizeof fn, ss);
    append_text(fn, sizeof fn, ".HST");

    std::vector<unsigned char> bytes = mt4_history_bytes(symbol, minutes, ci->bars, first, ci->data_count);
    if (!replace_file_contents(fn, bytes.data(), bytes.size())) {
        log_line_str("Save2Mt4 写文件失败", fn);
        return -1;
    }
    for (int i = first; i < ci->data_count; ++i) ci->result[i] = ci->bars[i].close;
    notify_mt4(symbol, ss);
    return first;
}
