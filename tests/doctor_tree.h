// The host trees of the doctor's tests, shared by the native and the Wine
// suites: a sound installation, and a table of broken cases, each with the
// row it must turn and the verdict that row must give. The tree is data (the
// directories and files to make, TARVEX.ini as text); each suite writes it
// with its own file functions below a host directory of its own.
#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "host/export_table.h"
#include "tests/expected_bytes.h"
#include "tests/pe_bytes.h"
#include "tools/harness/lib/doctor.h"

struct HostTree {
    std::string dir;  // Windows path of the host directory, with its trailing backslash
    std::vector<std::string> dirs;  // relative, "/" between levels, parents first
    std::vector<std::pair<std::string, Bytes>> files;
    std::string ini;  // TARVEX.ini's text (GBK); empty: no file

    void put(const std::string& rel, const Bytes& b) {
        erase(rel);
        files.push_back({rel, b});
    }
    void put(const std::string& rel, const std::string& text) { put(rel, Bytes(text.begin(), text.end())); }
    // Removes a file, or a directory with everything below it.
    void erase(const std::string& rel) {
        auto below = [&](const std::string& p) { return p == rel || p.rfind(rel + "/", 0) == 0; };
        dirs.erase(std::remove_if(dirs.begin(), dirs.end(), below), dirs.end());
        files.erase(std::remove_if(files.begin(), files.end(), [&](const auto& f) { return below(f.first); }),
                    files.end());
    }
    // Adds a line to an INI section, making the section when it is missing.
    void ini_line(const std::string& section, const std::string& line) {
        std::string head = "[" + section + "]\r\n";
        size_t at = ini.find(head);
        if (at == std::string::npos) ini += head + line + "\r\n";
        else ini.insert(at + head.size(), line + "\r\n");
    }
    void ini_replace(const std::string& from, const std::string& to) {
        size_t at = ini.find(from);
        if (at != std::string::npos) ini.replace(at, from.size(), to);
    }
};

inline Bytes doctor_stock_info(int32_t count, int records) {
    Bytes b(17574 + 320 * static_cast<size_t>(records > 0 ? records - 1 : 0) + (records > 0 ? 272 : 0), 0);
    for (int i = 0; i < 4; ++i) b[8 + i] = static_cast<unsigned char>(static_cast<uint32_t>(count) >> (8 * i));
    if (records > 0) b[17574] = '6';
    return b;
}

inline Bytes doctor_alert_file(uint32_t types, int records) {
    Bytes b;
    put_u32(b, 0);
    put_u32(b, types);
    for (uint32_t t = 0; t < types && t <= 20; ++t) {
        put_u32(b, 0);
        put_text(b, "价格预警", 24);
        b.resize(b.size() + 118, 0);
    }
    put_u32(b, 0);
    for (int r = 0; r < records; ++r) {
        put_text(b, "SH600000", 16);
        put_i32(b, 1700000000);
        b.resize(b.size() + 8, 0);
        put_text(b, "价格预警", 24);
    }
    return b;
}

// A sound installation below `dir`: the host program, TARVEX.dll, the host's
// own files, and TARVEX.ini with the TDX terminal, MT4 and Advanced GET set.
inline HostTree sound_host_tree(const std::string& dir) {
    HostTree t;
    t.dir = dir;
    t.dirs = {"data", "data/SH", "data/SZ", "userdata", "userdata/block", "userdata/self", "userdata/SelfData",
              "USERDATA", "USERDATA/SELF", "tdx", "tdx/T0002", "mt4", "mt4f", "get"};
    std::vector<std::string> symbols;
    for (int i = 0; i < kExportCount; ++i)
        if (kExportTable[i].built) symbols.push_back(kExportTable[i].symbol);
    t.put("dzh.exe", pe_file(0x14C, false));
    t.put("TARVEX.dll", pe_file(0x14C, true, symbols));
    t.put("data/SH/STKINFO70.DAT", doctor_stock_info(2, 2));
    t.put("data/SZ/STKINFO70.DAT", doctor_stock_info(1, 1));
    t.put("userdata/block/自选股1.BLK", block_file_bytes({"SH600000", "SZ000001"}));
    t.put("userdata/self/ALERT.DAT", doctor_alert_file(1, 2));
    Bytes inv(520 + 44, 0);
    t.put("USERDATA/SELF/账户1.inv", inv);
    t.put("tdx/connect.cfg", std::string("[OTHER]\r\nTitleName=通达信金融终端\r\n"));
    t.put("tdx/T0002/line.dat", Bytes(298 * 2, 0));
    t.put("mt4/SH6000001440.hst", Bytes(148, 0));
    t.put("mt4f/SH600000-1440.HWND", Bytes(4, 0));
    t.ini = "; TARVEX settings\r\n";
    t.ini_line("路径", "GET=" + dir + "get\\");
    t.ini_line("路径", "MT4_FILE_PATH=" + dir + "mt4f\\");
    t.ini_line("路径", "MT4_HST_PATH=" + dir + "mt4\\");
    t.ini_line("路径", "通达信=" + dir + "tdx");
    t.ini_line("板块名", "1=自选股1");
    t.ini_line("投资账户", "1=账户1.inv");
    return t;
}

struct DoctorCase {
    const char* name;
    std::function<void(HostTree&)> change;
    const char* row;  // id of the row that must turn
    Verdict verdict;
    const char* says;  // a piece of that row's finding or advice (GBK), or ""
};

inline std::vector<DoctorCase> doctor_cases() {
    const std::string long_root = "C:\\" + std::string(40, 'x') + "\\";
    return {
        {"no host program", [](HostTree& t) { t.erase("dzh.exe"); }, "host_program", Verdict::error, "没有大智慧的主程序"},
        {"64-bit host program", [](HostTree& t) { t.put("dzh.exe", pe_file(0x8664, false)); }, "host_program",
         Verdict::error, "64 位"},
        {"exe that is no program", [](HostTree& t) { t.put("dzh.exe", std::string("MZ but nothing more")); },
         "host_program", Verdict::error, "不是能运行的 Windows 程序"},
        {"no data directory", [](HostTree& t) { t.erase("data"); }, "host_tree", Verdict::warn, "LableGet"},
        {"neither data nor userdata", [](HostTree& t) { t.erase("data"), t.erase("userdata"), t.erase("USERDATA"); }, "host_tree",
         Verdict::error, "不是大智慧的主程序目录"},
        {"no DLL", [](HostTree& t) { t.erase("TARVEX.dll"); }, "dll", Verdict::error, "不存在"},
        {"DLL lacking exports", [](HostTree& t) { t.put("TARVEX.dll", pe_file(0x14C, true, {"_systime@4"})); }, "dll",
         Verdict::error, "缺"},
        {"64-bit DLL", [](HostTree& t) { t.put("TARVEX.dll", pe_file(0x8664, true)); }, "dll", Verdict::error, "32 位"},
        {"settings in UTF-8", [](HostTree& t) { t.ini = "[\xE8\xB7\xAF\xE5\xBE\x84]\r\nGET=C:\\\r\n"; }, "ini_file",
         Verdict::error, "UTF-8"},
        {"settings with a BOM", [](HostTree& t) { t.ini = "\xEF\xBB\xBF" + t.ini; }, "ini_file", Verdict::error, "BOM"},
        {"settings not GBK", [](HostTree& t) { t.ini_line("板块名", "9=\xFF\xFF"); }, "ini_file", Verdict::error,
         "第 8 行"},
        {"misspelt key", [](HostTree& t) { t.ini_line("路径", "BLOCKPATH=C:\\"); }, "ini_keys", Verdict::warn,
         "最接近的键是 BLOCK_PATH"},
        {"unknown section", [](HostTree& t) { t.ini += "[路经]\r\nPATH=C:\\\r\n"; }, "ini_keys", Verdict::warn,
         "最接近的段是 [路径]"},
        {"file number with a leading zero", [](HostTree& t) { t.ini_line("文件名", "07=C:\\x.dat"); }, "ini_keys",
         Verdict::warn, "不是编号"},
        {"rehearsal switched on", [](HostTree& t) { t.ini_line("安全", "演练=1"); }, "rehearsal", Verdict::warn,
         "演练模式开着"},
        {"key given twice", [](HostTree& t) { t.ini_line("路径", "GET=" + t.dir + "get\\"); }, "ini_keys", Verdict::warn,
         "只用第一个"},
        {"root without a backslash", [](HostTree& t) { t.ini_line("路径", "BLOCK_PATH=C:\\data"); }, "path:BLOCK_PATH",
         Verdict::error, "没有以 \\ 结尾"},
        {"root too long", [long_root](HostTree& t) { t.ini_line("路径", "BLOCK_PATH=" + long_root); }, "path:BLOCK_PATH",
         Verdict::error, "只读前 39 个字节"},
        {"root set empty", [](HostTree& t) { t.ini_line("路径", "BLOCK_PATH="); }, "path:BLOCK_PATH", Verdict::error,
         "空的"},
        {"no SelfData directory", [](HostTree& t) { t.erase("userdata/SelfData"); }, "path:PATH", Verdict::warn,
         "savedata、savedataR、savedata0、SAVEDATA_CAPITAL、saveS、ReadData、get_alarm_data"},
        {"day directory missing", [](HostTree& t) { t.ini_line("路径", "DAY_PATH=C:\\nothere"); }, "path:DAY_PATH",
         Verdict::error, "不存在"},
        {"data directory missing", [](HostTree& t) { t.ini_line("路径", "DATA_PATH=C:\\nothere\\"); },
         "path:DATA_PATH", Verdict::error, "不存在"},
        {"investment root missing", [](HostTree& t) { t.ini_line("路径", "INV_PATH=C:\\nothere\\"); },
         "path:INV_PATH", Verdict::error, "不存在"},
        {"MT4 directory missing", [](HostTree& t) { t.erase("mt4"); }, "path:MT4_HST_PATH", Verdict::error, "不存在"},
        {"GET set empty", [](HostTree& t) { t.ini_replace("GET=" + t.dir + "get\\", "GET="); }, "path:GET",
         Verdict::error, "GET路径未设置"},
        {"block of another format", [](HostTree& t) { t.put("userdata/block/自选股1.BLK", block_file_bytes({"SH600000"}, 0x12345678u)); },
         "blocks", Verdict::warn, "当前不是大智慧6.0.3版本"},
        {"block with a cut record", [](HostTree& t) {
             Bytes b = block_file_bytes({"SH600000"});
             b.resize(b.size() + 5, 0);
             t.put("userdata/block/自选股1.BLK", b);
         }, "blocks", Verdict::warn, "不够一条"},
        {"no block directory", [](HostTree& t) { t.erase("userdata/block"); }, "blocks", Verdict::warn,
         "save2blk、saveInt2blk 建不了板块，结果 0"},
        {"block of 600 codes", [](HostTree& t) {
             std::vector<std::string> codes;
             for (int i = 0; i < 600; ++i) codes.push_back("SZ" + std::to_string(100000 + i));
             t.put("userdata/block/自选股1.BLK", block_file_bytes(codes));
         }, "blocks", Verdict::ok, "头字都是 FF5100A5"},
        {"block too short for its header", [](HostTree& t) { t.put("userdata/block/自选股1.BLK", Bytes(2, 0)); },
         "blocks", Verdict::hint, "当空板块"},
        {"named block key", [](HostTree& t) { t.ini_line("板块名", "放量突破=预警放量"); }, "block_name", Verdict::hint,
         "键名只有 get_alarm_data 用"},
        {"named block not made yet", [](HostTree& t) { t.ini_line("板块名", "2=强势股"); }, "block_name", Verdict::hint,
         "还没有"},
        {"no alert file", [](HostTree& t) { t.erase("userdata/self/ALERT.DAT"); }, "alert", Verdict::warn, "不存在"},
        {"alert file of another format", [](HostTree& t) { t.put("userdata/self/ALERT.DAT", doctor_alert_file(0, 0)); },
         "alert", Verdict::warn, "预警类型数"},
        {"no Shanghai security file", [](HostTree& t) { t.erase("data/SH/STKINFO70.DAT"); }, "stkinfo", Verdict::warn,
         "LableGet 对上海"},
        {"security file cut short", [](HostTree& t) { t.put("data/SZ/STKINFO70.DAT", doctor_stock_info(5, 1)); },
         "stkinfo", Verdict::warn, "短"},
        {"account file missing", [](HostTree& t) { t.ini_line("投资账户", "2=账户2.inv"); }, "invest", Verdict::error,
         "不存在"},
        {"account file with a cut record", [](HostTree& t) { t.put("USERDATA/SELF/账户1.inv", Bytes(520 + 50, 0)); },
         "invest", Verdict::warn, "不够一条"},
        {"TDX directory missing", [](HostTree& t) { t.erase("tdx"); }, "tdx", Verdict::error, "不存在"},
        {"TDX directory with a trailing backslash",
         [](HostTree& t) { t.ini_replace("通达信=" + t.dir + "tdx", "通达信=" + t.dir + "tdx\\"); }, "tdx_connect",
         Verdict::ok, "TitleName=通达信金融终端"},
        {"TDX without TitleName", [](HostTree& t) { t.put("tdx/connect.cfg", std::string("[OTHER]\r\n")); },
         "tdx_connect", Verdict::error, "TDX系统不完整"},
        {"TDX without T0002", [](HostTree& t) { t.erase("tdx/T0002"); }, "tdx_line", Verdict::error, "打开文件失败"},
        {"TDX line file cut", [](HostTree& t) { t.put("tdx/T0002/line.dat", Bytes(300, 0)); }, "tdx_line", Verdict::warn,
         "298"},
        {"MT4 directory without history", [](HostTree& t) { t.erase("mt4/SH6000001440.hst"); }, "mt4", Verdict::warn,
         ".hst"},
    };
}

// Checks a report against a case: the case's row is there with the verdict
// and the text, and exactly the cases with an error make the report fail.
// Returns what is wrong, or "".
inline std::string doctor_case_mismatch(const DoctorReport& report, const DoctorCase& c) {
    bool found = false;
    for (const DoctorRow* r : report.with_id(c.row))
        if (r->verdict == c.verdict && (r->finding + r->advice).find(c.says) != std::string::npos) found = true;
    if (!found) return std::string("no row ") + c.row + " with that verdict and text";
    if (report.has_error() != (c.verdict == Verdict::error)) return "the report's error state is wrong";
    return "";
}
