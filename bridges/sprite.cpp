// GetSmartMsg: the host's short-term-sprite list (intraday market events)
// copied into the log, one line per row, so that the events can be read
// later from TARVEX.log. Every call copies the whole list again.
#include "bridges/exports.h"
#include "bridges/window_toolkit.h"
#include "common/log.h"
#include "common/rehearsal.h"
#include "host/export_guard.h"

namespace {
const char kSpriteTitle[] = "短线精灵";
}  // namespace

int unguarded::GetSmartMsg(tagCALCINFO*) {
    plat::Window sprite = find_child_containing(plat::desktop_window(), kSpriteTitle);
    if (!sprite) {
        log_line("未找到短线精灵");
        return -1;
    }
    plat::Window list = nth_child(sprite, 0);
    if (!list) {
        log_line("没找到短线精灵列表框");
        return -1;
    }
    if (rehearsing()) {
        char title[kWindowTextBytes];
        plat::window_text(sprite, title, sizeof title);
        log_rehearsal({"会读 ", title, " 的列表, 每行抄进日志"});
        return 0;
    }
    return log_list_rows(list, 1);
}
