// The result kinds of the exports.
#include "tools/harness/lib/result_kinds.h"

#include <cstring>

namespace {

struct KindEntry {
    const char* function;
    ResultKind kind;
};

// Every export of host/export_list.h; a test checks that none is missing.
const KindEntry kKinds[] = {
    // trend lines: anchors of rising peaks, falling troughs, numbered recent turns
    {"Tline", ResultKind::kPeakLabels},
    {"TlineLow", ResultKind::kTroughLabels},
    {"TlineNear", ResultKind::kLabels},
    // ranked support and resistance: the labels stand for levels
    {"TlineAll", ResultKind::kLevels},
    {"TLineS", ResultKind::kLevels},
    {"TDXlineAll", ResultKind::kLevels},
    // marks on the minutes or bars of trades and alerts
    {"almtime", ResultKind::kLabels},
    {"TradeFS", ResultKind::kLabels},
    // series: data files read back or written, trades, the clock per bar
    {"ReadData", ResultKind::kSeries},
    {"readfile", ResultKind::kSeries},
    {"saveS", ResultKind::kSeries},
    {"saveDay", ResultKind::kSeries},
    {"Save2Mt4", ResultKind::kSeries},
    {"Save2Get", ResultKind::kSeries},
    {"Trade", ResultKind::kSeries},
    {"Deal", ResultKind::kSeries},
    {"time0", ResultKind::kSeries},
    // one value in the last slot
    {"systime", ResultKind::kLastValue},
    {"minutes", ResultKind::kLastValue},
    {"is_main_dzh", ResultKind::kLastValue},
    {"is_HK_dzh", ResultKind::kLastValue},
    {"LableGet", ResultKind::kLastValue},
    {"FB", ResultKind::kLastValue},
    {"bknumb", ResultKind::kLastValue},
    {"save2blk", ResultKind::kLastValue},
    {"saveInt2blk", ResultKind::kLastValue},
    {"del2blk", ResultKind::kLastValue},
    {"inblock", ResultKind::kLastValue},
    {"LKBS", ResultKind::kLastValue},
    {"SAVEDATA_CAPITAL", ResultKind::kLastValue},
    {"savedata", ResultKind::kLastValue},
    {"savedataR", ResultKind::kLastValue},
    // side effects only
    {"OutLog", ResultKind::kNone},
    {"msg", ResultKind::kNone},
    {"SumSec", ResultKind::kNone},
    {"SQLit3", ResultKind::kNone},
    {"AlarmOnOff", ResultKind::kNone},
    {"ClearAlarm", ResultKind::kNone},
    {"get_alarm_data", ResultKind::kNone},
    {"GetSmartMsg", ResultKind::kNone},
    {"TDX", ResultKind::kNone},
    {"TDXTrade", ResultKind::kNone},
    {"StockPositions", ResultKind::kNone},
    {"savedata0", ResultKind::kNone},
};

}  // namespace

ResultKind result_kind(const char* function) {
    for (const KindEntry& e : kKinds)
        if (std::strcmp(e.function, function) == 0) return e.kind;
    return ResultKind::kNone;
}

bool has_result_kind(const char* function) {
    for (const KindEntry& e : kKinds)
        if (std::strcmp(e.function, function) == 0) return true;
    return false;
}

const char* result_kind_name(ResultKind kind) {
    switch (kind) {
        case ResultKind::kPeakLabels: return "峰上的标号";
        case ResultKind::kTroughLabels: return "谷上的标号";
        case ResultKind::kLabels: return "K 线上的标号";
        case ResultKind::kLevels: return "水平支撑/阻力线";
        case ResultKind::kSeries: return "序列";
        case ResultKind::kLastValue: return "最后一根 K 线的值";
        case ResultKind::kNone: return "无结果序列";
    }
    return "";
}
