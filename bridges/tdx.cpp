// TDX, TDXTrade and StockPositions: the security on the host's chart handed
// to the order panels of the TDX terminal, and its position list copied into
// the log. The host recomputes formulas on every refresh, so the remembered
// labels make each export act once per change of security.
#include "bridges/tdx.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "bridges/exports.h"
#include "bridges/window_toolkit.h"
#include "common/log.h"
#include "common/paths.h"
#include "common/rehearsal.h"
#include "common/settings.h"
#include "common/text.h"
#include "host/export_guard.h"
#include "platform/platform.h"

namespace {

constexpr size_t kLabelBytes = 60;

char tdx_last_label[kLabelBytes];
char trade_last_label[kLabelBytes];
plat::Window trade_anchor;  // the panel's title control found last time
plat::Window trade_panel;   // its parent, holding the edit controls
// The labels as a rehearsal remembers them, apart from the live ones.
RehearsalCopy<char[kLabelBytes]> rehearsed_tdx_label;
RehearsalCopy<char[kLabelBytes]> rehearsed_trade_label;

const char kBuyOrder[] = "买入下单";
const char kMultiAccount[] = "多户策略";

// Remembers `label` (cut to the buffer); false when it is the one remembered.
bool remember_label(char (&last)[kLabelBytes], const char* label) {
    char cut[kLabelBytes];
    copy_text(cut, sizeof cut, label);
    if (std::strcmp(cut, last) == 0) return false;
    std::memcpy(last, cut, sizeof cut);
    return true;
}

// Logs the lookup failures that TDXTrade and StockPositions word alike.
bool log_config_failure(TerminalLookup r) {
    if (r == TerminalLookup::not_configured) log_line("未设置 [路径] 通达信=");
    else if (r == TerminalLookup::incomplete) log_line("TDX系统不完整");
    else return false;
    return true;
}

// The remembered anchor, when it still exists with the text of the mode; a
// terminal closed and reopened leaves a handle that must not be driven.
bool anchor_still_valid(const char* anchor_text) {
    return trade_anchor && plat::window_exists(trade_anchor) && window_text_equals(trade_anchor, anchor_text);
}

// False when the terminal did not take the text in time (logged).
bool type_into(const char* who, plat::Window edit, const char* text) {
    plat::set_foreground(edit);
    return send_or_log(who, edit, plat::kWmSetText, 0, reinterpret_cast<intptr_t>(text));
}

// The click that gives the mouse back to the host's chart, only where the
// cursor rests on a window of the host itself: over another program (an
// order button of the terminal, say) it would act where the user did not
// point.
void click_if_over_host(bool rehearsal, const char* label) {
    plat::Window under = plat::window_under_cursor();
    if (!under || plat::window_process_id(under) != plat::own_process_id()) {
        log_line("TDXTrade 鼠标不在本程序窗口上,不点击");
        return;
    }
    if (rehearsal) {
        log_rehearsal({"会在鼠标当前位置按一下左键 (", label, ")"});
        return;
    }
    plat::mouse_button(plat::kMouseLeftDown);
    plat::mouse_button(plat::kMouseLeftUp);
}

// Title of the top-level window holding `w`, for the rehearsal lines.
void top_title(plat::Window w, char (&title)[kTdxTitleBytes]) {
    for (plat::Window up = plat::parent_of(w); up; up = plat::parent_of(up)) w = up;
    plat::window_text(w, title, sizeof title);
}

// A code to hand over: a null or empty label is none.
bool has_label(const tagCALCINFO& ci, const char* export_name) {
    if (ci.stock_label && ci.stock_label[0]) return true;
    log_line_str(export_name, "无证券代码,不操作");
    return false;
}

}  // namespace

TerminalLookup find_tdx_terminal(char (&title)[kTdxTitleBytes], plat::Window* terminal) {
    *terminal = 0;
    title[0] = '\0';
    char dir[kPathBytes];
    tdx_dir(dir, sizeof dir);
    if (dir[0] == '\0') return TerminalLookup::not_configured;
    char inifn[kPathBytes];
    copy_text(inifn, sizeof inifn, dir);
    append_text(inifn, sizeof inifn, "\\connect.cfg");
    plat::profile_string("OTHER", "TitleName", "", title, kTdxTitleLimit, inifn);
    if (title[0] == '\0') return TerminalLookup::incomplete;
    *terminal = find_child_containing(plat::desktop_window(), title);
    return *terminal ? TerminalLookup::found : TerminalLookup::not_running;
}

int unguarded::TDX(tagCALCINFO* ci) {
    RehearsalScope<char[kLabelBytes]> memory(tdx_last_label, rehearsed_tdx_label);
    if (!has_label(*ci, "TDX")) return -1;
    if (!remember_label(tdx_last_label, ci->stock_label)) return -1;
    if (ci->data_count < 1) {  // an empty chart shows no security to trade
        log_line("TDX 图表无K线,不操作");
        return -1;
    }
    plat::Window foreground = plat::foreground_window();
    plat::Window button = plat::find_top_window("Button", kBuyOrder);
    if (!button) return -1;
    plat::Window owner = plat::owner_of(button);
    if (!owner) {
        log_line("获取父窗口失败");
        return -1;
    }
    plat::Window code_edit = plat::first_child(owner);
    if (!code_edit) return -1;
    if (rehearsing()) {
        char title[kTdxTitleBytes];
        plat::window_text(owner, title, sizeof title);
        log_rehearsal({"会在 ", title, " 的代码框填 ", ci->stock_label});
        return 0;
    }
    const bool typed = type_into("TDX", code_edit, ci->stock_label);
    plat::set_foreground(foreground);
    return typed ? 0 : -1;
}

int unguarded::TDXTrade(tagCALCINFO* ci) {
    if (!ci->param1 || !ci->param2) {
        log_line("TDXTrade 参数错误");
        return -1;
    }
    if (!has_label(*ci, "TDXTrade")) return -1;
    RehearsalScope<char[kLabelBytes]> memory(trade_last_label, rehearsed_trade_label);
    if (!remember_label(trade_last_label, ci->stock_label)) return -1;
    // Nothing is typed or clicked on a price or mode the formula left
    // undefined, nor without a bar to read the price from.
    float price = 0;
    if (!defined_param1(*ci, &price)) {
        log_line("TDXTrade 价格未定义(无K线或非数值),不操作");
        return -1;
    }
    const float mode_value = ci->param3 ? param_first(ci->param3) : 1.0f;
    if (!std::isfinite(mode_value)) {
        log_line("TDXTrade 模式未定义(非数值),不操作");
        return -1;
    }
    const int mode = truncate_to_int(mode_value);
    // The price as the panel shows it; one too large for the text is refused
    // rather than typed cut short.
    char s1[20] = "";
    if (price > 0 && std::snprintf(s1, sizeof s1, "%.2f", static_cast<double>(price)) >= static_cast<int>(sizeof s1)) {
        log_line("TDXTrade 价格超出范围,不操作");
        return -1;
    }
    const char* anchor_text = mode != 0 ? kBuyOrder : kMultiAccount;

    if (!anchor_still_valid(anchor_text)) {
        char title[kTdxTitleBytes];
        plat::Window terminal = 0;
        TerminalLookup r = find_tdx_terminal(title, &terminal);
        if (log_config_failure(r) || !terminal) return -1;
        trade_anchor = mode != 0 ? find_window_deep(terminal, "Button", kBuyOrder)
                                 : find_window_deep(terminal, "Static", kMultiAccount);
        if (!trade_anchor) return -1;
    }
    trade_panel = plat::parent_of(trade_anchor);
    if (!trade_panel) {
        log_line("获取父窗口失败");
        return -1;
    }

    const bool rehearsal = rehearsing();
    char title[kTdxTitleBytes] = "";
    if (rehearsal) top_title(trade_panel, title);
    plat::Window foreground = plat::foreground_window();
    plat::Window code_edit = nth_child(trade_panel, 2);
    // A terminal that stops answering midway gets nothing more: no price
    // after an unconfirmed code, no click after an unconfirmed text.
    bool answered = true;
    if (code_edit) {
        TextMatch code = control_text_matches("TDXTrade", code_edit, ci->stock_label);
        if (code == TextMatch::no_answer) {
            answered = false;
        } else if (code == TextMatch::differs) {
            // A new code only: the terminal refills the panel, the price follows later.
            if (rehearsal) log_rehearsal({"会在 ", title, " 的代码框填 ", ci->stock_label});
            else answered = type_into("TDXTrade", code_edit, ci->stock_label);
        } else if (price > 0) {
            plat::Window price_edit = nth_child(trade_panel, mode != 0 ? 1 : 4);
            TextMatch shown = price_edit ? control_text_matches("TDXTrade", price_edit, s1) : TextMatch::equal;
            if (shown == TextMatch::no_answer) {
                answered = false;
            } else if (shown == TextMatch::differs) {
                if (rehearsal) log_rehearsal({"会在 ", title, " 的价格框填 ", s1, " (", ci->stock_label, ")"});
                else answered = type_into("TDXTrade", price_edit, s1);
            }
        }
    }
    if (!rehearsal) plat::set_foreground(foreground);
    if (!answered) return -1;
    click_if_over_host(rehearsal, ci->stock_label);
    return 0;
}

int unguarded::StockPositions(tagCALCINFO*) {
    char title[kTdxTitleBytes];
    plat::Window terminal = 0;
    TerminalLookup r = find_tdx_terminal(title, &terminal);
    if (log_config_failure(r)) return -1;
    if (!terminal) {
        log_line_str("未找到交易软件", title);
        return -1;
    }
    plat::Window list = nth_child(terminal, 0);
    if (!list) {
        log_line("没找到短线精灵列表框");
        return -1;
    }
    if (rehearsing()) {  // reading writes the request into the terminal's memory
        char top[kTdxTitleBytes];
        plat::window_text(terminal, top, sizeof top);
        log_rehearsal({"会读 ", top, " 的第一个列表, 每行抄进日志"});
        return 0;
    }
    return log_list_rows(list, 1);
}
