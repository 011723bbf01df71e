// The pieces of the futures trade-record text files that Deal reads: field
// splitting, title recognition, trade times, and the packing of quantity
// and price into one result value. The files come from other programs and
// are untrusted: every routine stays inside its buffers whatever the text.
#pragma once

#include <cstdint>

// Splits `text` in place at any of the characters of `sep`; a run of
// separators counts as one, so empty fields vanish. Stores at most
// `max_fields` field pointers; text after the last stored field is not
// split. Returns the number stored; 0 when the text or the separator is
// absent or empty.
int split_fields(char* text, const char* sep, char** fields, int max_fields);

// Column indices of the title line; -1 when not recognised.
struct DealColumns {
    int time = -1;      // "日期" or "时间"
    int contract = -1;  // "合约"
    int lots = -1;      // "手数" or "成交数量"
    int price = -1;     // "价格" or "成交价"
};
// Recognises the columns of the split title fields. Each field counts for
// the first column whose words it contains, in the order above; recognition
// stops at the fourth recognised field, and a later field of the same column
// replaces the earlier. True when four fields were recognised and every
// column is known.
bool recognise_columns(char* const* fields, int count, DealColumns* cols);

// "yyyy/mm/dd hh:mm:ss" (or with "-" when the text holds no "/") in local
// time, to seconds since 1970. False when the six numbers are not all there
// or the time cannot be converted into the host's 32-bit seconds.
bool parse_trade_time(const char* text, int64_t* out);

// A slot packs quantity * 10000 + price in one float. Unpacks it: the
// quantity is the whole part of value / 10000, the price the rest.
void split_lots_price(float value, int* lots, float* price);

// Two trades in one bar: total quantity and quantity-weighted average price,
// packed again. Trades without quantity average their prices evenly.
float merge_trades(float older, float newer);

// The Deal mode's two words: direction ("买"/"卖") and open/close ("开"/"平").
// False for a mode other than 1 to 4.
bool mode_words(int mode, const char** buysell, const char** openclose);

// The chart's code as trade records name it: a continuous-contract code
// such as IF00 is cut at its "00" (looked for from the third character, and
// only after an upper-case letter A to Y).
void chart_contract(const char* label, char* out, int cap);

// Drops a year-and-month contract's year digits in place: the last four
// characters become the last two (IF1012 becomes IF12). False, text
// unchanged, when it has fewer than four characters.
bool shorten_contract(char* contract);
