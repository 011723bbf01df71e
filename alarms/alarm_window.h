// The host's own alert window: its start and stop buttons pressed from a
// formula, and the raised alerts of its list filed into blocks named after
// the alerts and into two self-data series per alert name.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/windows.h"

constexpr size_t kAlarmLabelBytes = 60;  // the chart's security handled last
constexpr size_t kAlarmCodeBytes = 10;   // skcode[10], holding the first 6 characters
constexpr size_t kAlarmCodeChars = 6;
constexpr size_t kAlarmNameBytes = 20;   // alarm_name[20]: at most 19 characters
constexpr size_t kAlarmSeriesBytes = 50; // s1[50]: "预警价格_" or "预警时间_" and the name
constexpr int kAlarmListPosition = 5;    // the list view is the alert window's sixth child
constexpr int kAlarmColumns = 4;         // code, alert name, time text, number

// Kept across calls for the life of the library, zero at load.
extern char alarm_last_label[kAlarmLabelBytes];
extern plat::Window alarm_window;
extern int alarm_rows_done;  // rows of the list already handled

// The alert time text "MM-DD hh:mm..." (two digits each at positions 0, 3,
// 6, 9 and 11, read as atoi reads them) as seconds since 1970: today's local
// date and time with month, day, hour, minute and second replaced, in the
// current year. -1 when that cannot be converted.
int64_t alert_text_time(const char* text);
// The minute field of the alert time text (positions 9 and 10).
float alert_text_minutes(const char* text);

// Reads the rows of the list added since the last pass (all of them again
// when the list now holds fewer rows than were handled: it was emptied) and
// files each row's security into the block named after its alert; when it is
// new there, also first into "自选股8" and into the two self-data series of
// the alert. Returns 0; -1 when the list could not be read (logged).
int harvest_alerts(plat::Window list, int columns);
