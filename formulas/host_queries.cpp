// is_main_dzh, is_HK_dzh, LableGet and OutLog.
#include "formulas/host_queries.h"

#include "common/log.h"
#include "common/paths.h"
#include "common/stock_info.h"
#include "common/text.h"
#include "formulas/exports.h"
#include "host/export_guard.h"
#include "host/formula_call.h"
#include "platform/platform.h"

int module_file_exists(const char* name) {
    char fn[200];
    module_dir(fn, sizeof fn);
    // A path cut to fit would name another file: it counts as missing.
    if (!append_text(fn, sizeof fn, name)) return 0;
    return plat::file_exists(fn) ? 1 : 0;
}

int unguarded::is_main_dzh(tagCALCINFO* ci) {
    return set_last_slot(*ci, static_cast<float>(module_file_exists("主程序.txt")));
}

int unguarded::is_HK_dzh(tagCALCINFO* ci) {
    return set_last_slot(*ci, static_cast<float>(module_file_exists("港股通.txt")));
}

int unguarded::LableGet(tagCALCINFO* ci) {
    if (ci->label_flag || !ci->stock_label) return -1;  // an index has no record
    char info[kStockInfoBytes];
    if (GetStockInfo(ci->stock_label, info) != 0) return -1;
    return set_last_slot(*ci, static_cast<float>(static_cast<signed char>(info[kStockInfoLabelOffset])));
}

int unguarded::OutLog(tagCALCINFO* ci) {
    if (!ci->param1 || !ci->param2) return -1;
    if (ci->param1_start >= 0 && ci->data_count < 1) return -1;  // a series with no element
    if (param1_current(*ci) > 0) {
        char s[300];
        copy_text(s, sizeof s, ci->stock_label ? ci->stock_label : "");
        append_text(s, sizeof s, " 发生事件");
        log_line_int(s, truncate_to_int(param_first(ci->param2)));
    }
    return 0;
}
