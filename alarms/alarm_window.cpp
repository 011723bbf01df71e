// AlarmOnOff and get_alarm_data over the host's alert window. The alert
// window lives in the host's own process; a formula is evaluated on every
// refresh of the chart, so get_alarm_data acts once per change of security
// and reads each list row once.
#include "alarms/alarm_window.h"

#include <cstdlib>
#include <cstring>

#include "alarms/alarm_messages.h"
#include "alarms/exports.h"
#include "blocks/save2blk0.h"
#include "bridges/window_toolkit.h"
#include "common/file_name.h"
#include "common/log.h"
#include "common/rehearsal.h"
#include "common/text.h"
#include "datafiles/exports.h"
#include "host/export_guard.h"
#include "platform/platform.h"

char alarm_last_label[kAlarmLabelBytes];
plat::Window alarm_window;
int alarm_rows_done;
// What a rehearsal remembers, apart from the live memory above.
static RehearsalCopy<char[kAlarmLabelBytes]> rehearsed_alarm_label;
static RehearsalCopy<int> rehearsed_rows_done;

namespace {

const char kAlertTitle[] = "预警 -";
const char kStartButton[] = "启动预警";
const char kStopButton[] = "停止预警";
const char kFirstBlock[] = "自选股8";
const char kPriceSeries[] = "预警价格_";
const char kTimeSeries[] = "预警时间_";

// One row of the alert list as the filing needs it.
struct AlertRow {
    char skcode[kAlarmCodeBytes] = "";
    char alarm_name[kAlarmNameBytes] = "";
    int64_t time = -1;
    float minutes = 0;
    float number = 0;
};

// Two characters at `pos` read as atoi reads them (a blank, a sign, digits);
// 0 past the end of the text.
int two_char_field(const char* text, size_t pos) {
    if (std::strlen(text) <= pos) return 0;
    char f[3] = {text[pos], text[pos + 1], '\0'};
    return std::atoi(f);
}

void store_cell(int column, const char* item, AlertRow* a) {
    switch (column) {
    case 0: copy_whole_chars(a->skcode, kAlarmCodeChars + 1, item); break;
    case 1: copy_whole_chars(a->alarm_name, sizeof a->alarm_name, item); break;
    case 2:
        a->time = alert_text_time(item);
        a->minutes = alert_text_minutes(item);
        break;
    case 3: a->number = static_cast<float>(std::atof(item)); break;
    default: break;
    }
}

// The series "<prefix><alert name>" is a self-data directory: a name that
// cannot be one (a block key may hold "%" or ">", which no file name does)
// is refused here, alone, and logged.
void store_series(const char* prefix, const AlertRow& a, float value) {
    char s1[kAlarmSeriesBytes];
    copy_text(s1, sizeof s1, prefix);
    append_text(s1, sizeof s1, a.alarm_name);
    if (!is_safe_file_name(s1)) {
        log_line_str2(kMsgAlertSeriesRefused, s1, a.skcode);
        return;
    }
    savedata0(s1, static_cast<long>(a.time), const_cast<char*>(a.skcode), value);
}

// Files one row; adds the last cell's text to the row's log line when the
// security was new in the alert's block. A code that could not even be a
// file name is no security's, and refuses the row; the alert's name is
// checked where it names something: as a block by save2blk0, as a
// self-data series by store_series.
void file_alert(const AlertRow& a, const char* last_cell, char (&s)[kListLineBytes]) {
    if (!is_safe_file_name(a.skcode)) {
        log_line_str2(kMsgAlertNameRefused, a.skcode, a.alarm_name);
        return;
    }
    if (save2blk0(a.skcode, a.alarm_name, 0) != 0) return;
    save2blk0(a.skcode, kFirstBlock, 1);
    store_series(kPriceSeries, a, a.minutes);
    store_series(kTimeSeries, a, a.number);
    append_text(s, sizeof s, last_cell);
    append_text(s, sizeof s, ",");
}

// The remembered window still shows the alert title: the host has not
// closed it since.
bool still_alert_window(plat::Window w) {
    char title[kWindowTextBytes];
    return w && plat::window_text(w, title, sizeof title) > 0 && std::strstr(title, kAlertTitle);
}

}  // namespace

int64_t alert_text_time(const char* text) {
    plat::LocalTime t;
    if (!plat::local_time(plat::now_seconds(), &t)) return -1;
    t.month = two_char_field(text, 0);
    t.day = two_char_field(text, 3);
    t.hour = two_char_field(text, 6);
    t.minute = two_char_field(text, 9);
    t.second = two_char_field(text, 11);
    int64_t s = -1;
    return plat::seconds_from_local(t, &s) ? s : -1;
}

float alert_text_minutes(const char* text) { return static_cast<float>(two_char_field(text, 9)); }

int harvest_alerts(plat::Window list, int columns) {
    intptr_t count = 0;
    if (!send_or_log("get_alarm_data", list, plat::kLvmGetItemCount, 0, 0, &count)) return -1;
    int rows = static_cast<int>(count);
    // Fewer rows than were handled: the user cleared the list, and whatever
    // it holds now was raised since. (save2blk0 files no code twice.)
    if (rows < alarm_rows_done) alarm_rows_done = 0;
    if (alarm_rows_done >= rows) return 0;
    ListReader r;
    if (!open_list_reader(list, &r)) return -1;
    char item[kListTextBytes];
    for (int row = alarm_rows_done; row < rows; ++row) {
        AlertRow a;
        for (int c = 0; c < columns; ++c) {
            if (!read_cell(r, row, c, item)) {
                log_line("list_reader 读取失败");
                close_list_reader(r);
                return -1;
            }
            store_cell(c, item, &a);
        }
        char s[kListLineBytes] = "";
        file_alert(a, item, s);
        alarm_rows_done = row + 1;
        if (s[0]) log_line(s);
    }
    close_list_reader(r);
    return 0;
}

int unguarded::AlarmOnOff(tagCALCINFO* ci) {
    if (!ci->param1) return -1;
    // An undefined value must neither stop nor start the alarm engine.
    float v = 0;
    if (!defined_param1(*ci, &v)) {
        log_line(kMsgAlarmOnOffUndefined);
        return -1;
    }
    int x = truncate_to_int(v);
    if (!plat::desktop_window()) return -1;
    // The host's own alert window only: another program's window with a
    // like title is never pressed.
    plat::Window alert = find_own_top_window(kAlertTitle);
    if (!alert) {
        log_line(kMsgAlertWindowMissing);
        return -1;
    }
    plat::Window target = x == 0   ? find_child_containing(alert, kStopButton)
                          : x == 1 ? find_child_containing(alert, kStartButton)
                                   : alert;
    if (!target) return -1;
    if (rehearsing()) {
        char title[kWindowTextBytes];
        plat::window_text(alert, title, sizeof title);
        log_rehearsal({"会在 ", title, " 上按 ", x == 0 ? kStopButton : x == 1 ? kStartButton : "窗口本身"});
        return 0;
    }
    plat::Window foreground = plat::foreground_window();
    plat::set_foreground(foreground);
    // A button that did not take the press is not released blindly.
    bool pressed = send_or_log("AlarmOnOff", target, plat::kWmLButtonDown, 0, 0) &&
                   send_or_log("AlarmOnOff", target, plat::kWmLButtonUp, 0, 0);
    plat::set_foreground(foreground);
    return pressed ? 0 : -1;
}

int unguarded::get_alarm_data(tagCALCINFO* ci) {
    // A rehearsal reads the host's own list as the live call does; the
    // block and self-data writes that file its rows are what it rehearses.
    RehearsalScope<char[kAlarmLabelBytes]> label_memory(alarm_last_label, rehearsed_alarm_label);
    RehearsalScope<int> rows_memory(alarm_rows_done, rehearsed_rows_done);
    if (!ci->stock_label) return -1;
    char label[kAlarmLabelBytes];
    copy_text(label, sizeof label, ci->stock_label);
    if (std::strcmp(label, alarm_last_label) == 0) return -1;
    std::memcpy(alarm_last_label, label, sizeof label);
    if (!still_alert_window(alarm_window)) {
        alarm_window = find_own_top_window(kAlertTitle);
        if (!alarm_window) return -1;
    }
    plat::Window list = nth_child(alarm_window, kAlarmListPosition);
    if (!list) {
        log_line(kMsgAlertListMissing);
        return -1;
    }
    return harvest_alerts(list, kAlarmColumns);
}
