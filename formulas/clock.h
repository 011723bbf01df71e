// Clock values for formulas: the time of day as HHMMSS, the minute of the day
// and the minute within the trading day of the Shanghai and Shenzhen markets,
// all in the machine's local time.
#pragma once

// hour * 10000 + minute * 100 + second.
int hhmmss(int hour, int minute, int second);

// Minute of the trading day for a local time of day: counts from 09:24,
// 09:25..09:29 read as 5, the lunch break 11:30..12:58 reads as 185, the
// afternoon joins the morning at 126 (13:00), and everything from 14:59 on
// reads as 245.
int trading_minute(int hour, int minute);
