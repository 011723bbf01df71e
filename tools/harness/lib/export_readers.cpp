// The readers of each setting and host file. Kept by hand next to the path
// routines' callers: root_path and its users (blocks/, datafiles/,
// invest/), path_setting (bridges/mt4.cpp, bridges/aget_files.cpp), tdx_dir
// (lines/tdx_line_file.cpp, bridges/tdx.cpp), alert_file_path
// (alarms/alert_exports.cpp) and the security-information reader
// (formulas/host_queries.cpp). get_alarm_data files alerts through
// save2blk0 and savedata0, so it reads what they read.
#include "tools/harness/lib/export_readers.h"

#include <map>

namespace {

const std::map<std::string, std::vector<std::string>>& table() {
    static const std::map<std::string, std::vector<std::string>> t = {
        {"BLOCK_PATH", {"save2blk", "saveInt2blk", "del2blk", "bknumb", "get_alarm_data"}},
        {"PATH", {"savedata", "savedataR", "savedata0", "SAVEDATA_CAPITAL", "saveS", "ReadData", "get_alarm_data"}},
        {"DAY_PATH", {"saveDay"}},
        {"DATA_PATH", {"readfile", "Deal"}},
        {"INV_PATH", {"Trade", "TradeFS"}},
        {"MT4_HST_PATH", {"Save2Mt4"}},
        {"MT4_FILE_PATH", {"Save2Mt4"}},
        {"GET", {"Save2Get"}},
        {"通达信", {"TDXlineAll", "TDXTrade", "StockPositions"}},
        {"板块名", {"save2blk", "saveInt2blk", "del2blk", "bknumb"}},
        {"板块名键名", {"get_alarm_data"}},
        {"自定义数据名", {"savedata", "savedataR", "SAVEDATA_CAPITAL", "saveS", "ReadData"}},
        {"文件名", {"readfile", "Deal"}},
        {"投资账户", {"Trade", "TradeFS"}},
        {"inblock板块", {"inblock"}},
        {"ALERT.DAT", {"almtime", "ClearAlarm"}},
        {"STKINFO", {"LableGet"}},
        {"connect.cfg", {"TDXTrade", "StockPositions"}},
    };
    return t;
}

}  // namespace

const std::vector<std::string>& readers_of(const std::string& what) {
    static const std::vector<std::string> none;
    auto it = table().find(what);
    return it == table().end() ? none : it->second;
}

std::string readers_text(const std::string& what) {
    std::string out;
    for (const std::string& e : readers_of(what)) out += (out.empty() ? "" : "、") + e;
    return out;
}

std::vector<std::string> reader_topics() {
    std::vector<std::string> out;
    for (const auto& kv : table()) out.push_back(kv.first);
    return out;
}
