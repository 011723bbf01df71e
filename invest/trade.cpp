// Trade and TradeFS: the trades of the chart's security in an investment
// account, as a day series (Trade) or as marks at their minutes on the
// time-share chart (TradeFS). Both only read the account's file.
#include <cmath>
#include <cstdint>
#include <memory>
#include <new>

#include "common/log.h"
#include "common/paths.h"
#include "common/settings.h"
#include "host/export_guard.h"
#include "invest/exports.h"
#include "invest/invest_messages.h"
#include "invest/investment_file.h"

namespace {

// Quantities are summed as whole lots in 32 bits; a stray huge or NaN value
// saturates instead of overflowing.
int32_t whole_lots(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(v);
}

int32_t add_lots(int32_t a, int32_t b) {
    int64_t s = static_cast<int64_t>(a) + b;
    if (s > INT32_MAX) return INT32_MAX;
    if (s < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(s);
}

// Operations: 1 and 2 count every kind but sells, 3 and 4 every kind but
// buys; 1 and 3 average the price net of / plus the fee rate, 2 and 4 sum
// the quantities.
bool counts_for(uint32_t kind, int op) {
    if (kind == kKindBuy) return op == 1 || op == 2;
    if (kind == kKindSell) return op == 3 || op == 4;
    return true;
}

void add_trade(const tagCALCINFO& ci, int32_t* lots, int idx, int op, double price, const TradeRecord& r) {
    float* slot = &ci.result[idx];
    if (op == 2 || op == 4) {
        *slot += static_cast<float>(r.quantity);
        return;
    }
    double f = op == 1 ? 1.0 - r.fee_rate : 1.0 + r.fee_rate;
    if (*slot == 0.0f) {
        *slot = static_cast<float>(price * f);
        lots[idx] = whole_lots(r.quantity);
        return;
    }
    const double total = lots[idx] + r.quantity;
    if (total == 0.0) {
        // No quantity left to weigh by (a trade and its reversal): the
        // prices average evenly, as Deal averages them, instead of 0 / 0.
        *slot = static_cast<float>((*slot + price * f) / 2.0);
    } else {
        float held = static_cast<float>(lots[idx]) * *slot;  // single precision, as the host's series
        *slot = static_cast<float>((held + price * r.quantity * f) / total);
    }
    lots[idx] = add_lots(lots[idx], whole_lots(r.quantity));
}

}  // namespace

// Day chart (period 8). param1: account number; param2: operation 1..4.
// Fills every slot (0 on days without trades) and returns 0, or -1.
int unguarded::Trade(tagCALCINFO* ci_ptr) {
    const tagCALCINFO& ci = *ci_ptr;
    if (ci.period != kPeriodDay || !ci.param1 || !ci.param2 || !ci.stock_label || !ci.bars || ci.data_count < 1)
        return -1;
    int n = truncate_to_int(param1_current(ci));
    int op = truncate_to_int(param_first(ci.param2));
    if (op < 1 || op > 4) {
        log_line_int(kMsgTradeOpCode, op);
        return -1;
    }
    char fn[kPathBytes];
    inv_path(fn, sizeof fn, n);
    InvestmentFile file;
    switch (read_investment_file(fn, &file)) {
    case InvRead::ok: break;
    case InvRead::unreadable: log_line_str(kMsgInvNoData, fn); return -1;
    case InvRead::cannot_open:
    case InvRead::too_large: return -1;  // the cap is logged
    }
    std::unique_ptr<int32_t[]> lots(new (std::nothrow) int32_t[static_cast<size_t>(ci.data_count)]());
    if (!lots) {
        log_line(kMsgTradeMalloc);
        return -1;
    }
    for (int i = 0; i < ci.data_count; ++i) ci.result[i] = 0.0f;
    for (size_t k = 0; k < file.records(); ++k) {
        const TradeRecord r = file.record(k);
        if (!record_is_for(r, ci.stock_label)) continue;
        int64_t day;
        if (!trade_day_key(r.time, &day)) {
            log_line(kMsgLocaltime);
            continue;  // no calendar day to count it for
        }
        uint32_t kind = r.kind;
        double price = r.price;
        if (kind == kKindSellNoPrice) {
            kind = kKindSell;
            price = 0.0;
        }
        if (!counts_for(kind, op)) continue;
        int idx = bar_at_time(ci, day, 0, last_index(ci));
        if (idx <= 0) continue;
        add_trade(ci, lots.get(), idx, op, price, r);
    }
    return 0;
}

// Time-share chart (period 1). param1: a series whose last value is the
// account number. Marks slot param1_start + minutes since the first bar (less
// the 90-minute midday break from minute 210) with the trade's kind; returns
// param1_start, or -1.
int unguarded::TradeFS(tagCALCINFO* ci_ptr) {
    const tagCALCINFO& ci = *ci_ptr;
    if (ci.period != kPeriodTimeShare) {
        log_line(kMsgTradeFSPeriod);
        return -1;
    }
    if (!ci.param1) {
        log_line(kMsgTradeFSParams);
        return -1;
    }
    if (ci.param1_start < 0) {
        log_line(kMsgTradeFSNotSeries);
        return -1;
    }
    int start = ci.param1_start;
    if (!is_bar_index(ci, start) || !ci.stock_label || !ci.bars) return -1;
    char fn[kPathBytes];
    inv_path(fn, sizeof fn, truncate_to_int(ci.param1[last_index(ci)]));
    InvestmentFile file;
    switch (read_investment_file(fn, &file)) {
    case InvRead::ok: break;
    case InvRead::cannot_open: log_line_str(kMsgTradeFSOpen, fn); return -1;
    case InvRead::unreadable: log_line_str(kMsgInvNoData, fn); return -1;
    case InvRead::too_large: return -1;  // logged
    }
    for (int i = start; i < ci.data_count; ++i) ci.result[i] = 0.0f;
    // The bar times are taken 8 hours back before they meet the trade times.
    int64_t t0 = static_cast<int64_t>(ci.bars[start].time) - 28800;
    int64_t t1 = static_cast<int64_t>(ci.bars[last_index(ci)].time) - 28800;
    for (size_t k = 0; k < file.records(); ++k) {
        const TradeRecord r = file.record(k);
        if (!record_is_for(r, ci.stock_label) || r.time < t0 || r.time > t1) continue;
        int64_t m = (r.time - t0) / 60;
        if (m >= 210) m -= 90;  // the midday break is not on the chart
        if (start + m < ci.data_count) ci.result[start + m] = static_cast<float>(r.kind);
    }
    return start;
}
