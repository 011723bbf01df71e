// Log texts of the alert-file exports, byte for byte as users and their
// tools have always seen them in TARVEX.log (ClearAlarm shares almtime's
// open and rewrite texts). Declared once for the code and the tests.
#pragma once

constexpr char kMsgAlmtimeNoBars[] = "almtime 参数个数为0";
constexpr char kMsgAlertOpen[] = "almtime 不能打开告警文件";
constexpr char kMsgAlertRewrite[] = "almtime 不能重写告警文件";
constexpr char kMsgClearAlarm[] = "清除历史告警";
constexpr char kMsgAlertTypes[] = "预警类型个数";

// The alert window bridge (AlarmOnOff, get_alarm_data).
constexpr char kMsgAlertWindowMissing[] = "未找到预警窗口";
constexpr char kMsgAlarmOnOffUndefined[] = "AlarmOnOff 参数1未定义(无K线或非数值),不操作";
constexpr char kMsgAlertListMissing[] = "get_alarm_data 没找到预警列表框";
constexpr char kMsgAlertNameRefused[] = "get_alarm_data 预警名称或代码不能作文件名:";
constexpr char kMsgAlertSeriesRefused[] = "get_alarm_data 自定义数据名不能作文件名:";
