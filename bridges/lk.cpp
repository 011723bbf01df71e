// LKBS: a formula's trading signal pressed as an order button of the 雷凯
// futures terminal. The last operation is remembered and never repeated, so
// a signal that stays on for many refreshes places one order.
#include <cstring>

#include "bridges/exports.h"
#include "bridges/window_toolkit.h"
#include "common/log.h"
#include "common/rehearsal.h"
#include "common/text.h"
#include "host/export_guard.h"

namespace {

int32_t last_lk_op = -1;
RehearsalCopy<int32_t> rehearsed_lk_op;  // the last operation as a rehearsal remembers it

const char kTerminalTitle[] = "雷凯投资期货交易  - [";

// Caption of the button for an operation code, or nullptr for an unknown one.
const char* lk_caption(int op) {
    switch (op) {
    case 1: case 5: return "开多[F1]";
    case 2: return "平多[F2]";
    case 3: case 6: return "开空[F3]";
    case 4: return "平空[F4]";
    case 7: return "清仓(&Q)";
    case 8: return "全撤(&X)";
    default: return nullptr;
    }
}

}  // namespace

int unguarded::LKBS(tagCALCINFO* ci) {
    RehearsalScope<int32_t> memory(last_lk_op, rehearsed_lk_op);
    log_line_int("LKBS 启动,历史操作=", last_lk_op);
    if (!ci->param1) return -1;
    // No order on a value the formula left undefined, nor without a bar.
    float v = 0;
    if (!defined_param1(*ci, &v)) {
        log_line("LKBS 参数1未定义(无K线或非数值),不操作");
        return -1;
    }
    // The label names the order in the log: a call without one places none.
    if (!ci->stock_label || !ci->stock_label[0]) {
        log_line("LKBS 无证券代码,不操作");
        return -1;
    }
    int op = truncate_to_int(v);
    if (op == last_lk_op) {
        log_line_int("重复操作，返回", op);
        return -1;
    }
    plat::Window desktop = plat::desktop_window();
    if (!desktop) {
        log_line("LKBS 错误1");
        return -1;
    }
    plat::Window terminal = find_child_containing(desktop, kTerminalTitle);
    if (!terminal) {
        log_line("雷凯交易软件未启动");
        return -1;
    }
    const char* caption = lk_caption(op);
    if (!caption) {
        log_line("错误的雷凯操作");
        return -1;
    }
    plat::Window button = find_window_deep(terminal, "Button", caption);
    if (!button) {
        log_line("未找到LK按键");
        return -1;
    }
    char ops[50];
    copy_text(ops, sizeof ops, caption);
    append_text(ops, sizeof ops, ci->stock_label);

    const bool rehearsal = rehearsing();
    if (rehearsal) {
        log_rehearsal({"会按 ", ops});
    } else {
        plat::Window foreground = plat::foreground_window();
        plat::set_foreground(foreground);
        // A press the terminal did not take is not released blindly; a release
        // it did not answer may still click once it answers again, so the
        // operation counts as done and is not repeated.
        const bool down = send_or_log("LKBS", button, plat::kWmLButtonDown, 0, 0);
        const bool up = down && send_or_log("LKBS", button, plat::kWmLButtonUp, 0, 0);
        plat::set_foreground(foreground);
        if (down && !up) last_lk_op = op;
        if (!up) return -1;
    }

    int r = set_last_slot(*ci, static_cast<float>(op));
    last_lk_op = op;
    if (!rehearsal) log_line_str(ops, "成功");
    return r;
}
