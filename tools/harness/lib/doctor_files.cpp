// harness doctor: the host's own files that TARVEX reads and writes (blocks,
// the alert file, the security information, the investment files), the TDX
// terminal's connect.cfg and line file, the MT4 and Advanced GET directories,
// and TARVEX.log. Formats are judged by the library's own layouts.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "alarms/alert_file.h"
#include "blocks/block_format.h"
#include "common/coding.h"
#include "common/paths.h"
#include "common/settings.h"
#include "common/stock_info.h"
#include "invest/investment_file.h"
#include "lines/tdx_line_format.h"
#include "platform/platform.h"
#include "tools/harness/lib/doctor_checks.h"
#include "tools/harness/lib/doctor_fs.h"
#include "tools/harness/lib/export_readers.h"

namespace {

std::string num(size_t n) { return std::to_string(n); }

// Which exports use a block directory: inblock reads module_dir's own
// userdata\block\, the writers and bknumb the one under BLOCK_PATH; without
// BLOCK_PATH the two are one.
struct BlockDirUse {
    bool inblock;
    bool writers;  // save2blk, saveInt2blk, del2blk, bknumb, get_alarm_data
    std::string readers() const {
        std::string r = writers ? readers_text("BLOCK_PATH") : "";
        if (inblock) r += std::string(r.empty() ? "" : "、") + readers_text("inblock板块");
        return r;
    }
};

// What a block that cannot be read means to the exports that use it.
std::string unreadable_block_outcome(const BlockDirUse& use) {
    std::string out;
    if (use.writers)
        out = "save2blk、saveInt2blk 结果 0（日志 save2blk 打开失败:），del2blk 无值（返回 -1，日志 del2blk 打开失败:），"
              "bknumb 数出 0";
    if (use.inblock) out += std::string(out.empty() ? "" : "，") + "inblock 结果 0";
    return out;
}

// One block file's verdict; true when it is sound.
bool check_block_file(const DoctorRun& run, const std::string& path, const BlockDirUse& use) {
    std::string b;
    std::string topic = "板块 " + path.substr(path.rfind('\\') + 1);
    if (!file_bytes(path, &b)) {
        run.add("blocks", Verdict::warn, topic, path + " 读不出来", unreadable_block_outcome(use) + "；看看它是否被锁住");
        return false;
    }
    if (b.size() > kBlockFileCap) {
        run.add("blocks", Verdict::warn, topic,
                path + " 有 " + num(b.size()) + " 个字节，超过 TARVEX 读的上限（" + num(kBlockMaxRecords) + " 只股票）",
                "TARVEX 不读也不改写这么大的文件：" + unreadable_block_outcome(use));
        return false;
    }
    if (b.size() < kBlockHeaderBytes) {
        run.add("blocks", Verdict::hint, topic, path + " 只有 " + num(b.size()) + " 个字节，没有 4 字节的头字",
                "TARVEX 把它当空板块：inblock 结果 0、bknumb 数出 0、del2blk 结果 0；save2blk 下次放入股票时重写它");
        return false;
    }
    uint32_t head = decode_block_header(reinterpret_cast<const unsigned char*>(b.data()));
    if (head != kBlockHeaderWord) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08X", head);
        run.add("blocks", Verdict::warn, topic,
                path + " 的头字是 " + hex + "，不是 FF5100A5（大智慧 6.0.3 的板块格式）",
                std::string(use.inblock ? "inblock 拒绝它，返回 -1 并记日志 inblock error 当前不是大智慧6.0.3版本；" : "") +
                    "save2blk、saveInt2blk、del2blk 和预警归板块都不改动它（日志 不是大智慧6.0.3版本的板块,未改动）；"
                    "这个大智慧版本的板块格式不同");
        return false;
    }
    size_t tail = (b.size() - kBlockHeaderBytes) % kBlockRecordBytes;
    if (tail) {
        run.add("blocks", Verdict::warn, topic,
                path + " 末尾有 " + num(tail) + " 个字节不够一条 12 字节的记录",
                "TARVEX 不看这几个字节，改写板块时把它们原样留在文件末尾（save2blk 的新代码放在它们前面）；"
                "大智慧可能读错；在大智慧里重新保存这个板块");
        return false;
    }
    if (use.writers && !file_opens_for_update(path)) {
        run.add("blocks", Verdict::warn, topic, path + " 现在不能写（只读，或被别的程序锁住）",
                "save2blk、saveInt2blk 写不进这个板块：放在最后时无值（返回 -1，日志 save2blk 重新打开 添加失败3），"
                "放在最前面时结果 0；del2blk 移不出股票（返回 -1，日志 del2blk 移出失败）；bknumb、inblock 照常读");
        return false;
    }
    return true;
}

void check_block_dir(const DoctorRun& run, const std::string& dir, const BlockDirUse& use) {
    if (!is_directory(dir)) {
        std::string outcome;
        if (use.writers)
            outcome = "save2blk、saveInt2blk 建不了板块，结果 0（日志 save2blk 重建板块失败: 或 saveInt2blk 重建板块失败:），"
                      "del2blk 结果 0，bknumb 数出 0，"
                      "get_alarm_data 不把预警放进板块";
        if (use.inblock) outcome += std::string(outcome.empty() ? "" : "；") + "inblock 结果都是 0";
        run.add("blocks", Verdict::warn, "板块目录", dir + " 不存在", outcome + "；建好这个目录，或在大智慧里存一个自选股板块");
        return;
    }
    std::vector<std::string> names = files_ending(dir, ".BLK");
    if (names.empty()) {
        run.add("blocks", Verdict::hint, "板块目录", dir + " 里还没有 .BLK 文件",
                use.writers ? "save2blk 第一次放入股票时在这里新建板块；如果大智慧的板块在别的目录，大智慧看不到它们"
                            : "inblock 结果都是 0，直到大智慧在这里存了板块");
        return;
    }
    size_t sound = 0;
    for (const std::string& n : names) sound += check_block_file(run, dir + n, use);
    if (sound == names.size())
        run.add("blocks", Verdict::ok, "板块目录",
                dir + " 里 " + num(names.size()) + " 个板块文件，头字都是 FF5100A5（" + use.readers() + " 用这里）");
}

// Decimal text as the library writes its keys: no leading zeros, "-" allowed.
bool is_number_key(const std::string& k) {
    size_t i = !k.empty() && k[0] == '-' ? 1 : 0;
    if (i >= k.size() || (k[i] == '0' && k.size() > i + 1)) return false;
    for (; i < k.size(); ++i)
        if (k[i] < '0' || k[i] > '9') return false;
    return true;
}

}  // namespace

void check_blocks(const DoctorRun& run) {
    std::string own = run.host_dir + "userdata\\block\\";
    char fn[kPathBytes];
    block_path_for_number(fn, sizeof fn, 1);
    std::string configured = dir_of(fn);
    if (same_profile_name(configured, own)) {
        check_block_dir(run, own, {true, true});
    } else {
        check_block_dir(run, own, {true, false});
        // A missing BLOCK_PATH directory has its own row under the paths.
        if (is_directory(configured)) check_block_dir(run, configured, {false, true});
    }
    if (!run.ini_readable) return;
    for (const IniLine& e : run.ini.entries) {
        if (!same_profile_name(e.section, kBlockNames.section) || run.entry(e.section.c_str(), e.key.c_str()) != &e)
            continue;
        block_path_for_key(fn, sizeof fn, e.key.c_str());
        std::string topic = "板块名 " + e.key + "=" + e.value;
        bool number = is_number_key(e.key);
        std::string who = number ? "板块号 " + e.key + " 给 " + readers_text("板块名") + " 用"
                                 : "键名只有 " + readers_text("板块名键名") + " 用（名为 " + e.key + " 的预警）";
        if (plat::file_exists(fn))
            run.add("block_name", Verdict::ok, topic, std::string("板块文件 ") + fn + " 在（" + who + "）");
        else
            run.add("block_name", Verdict::hint, topic, std::string(fn) + " 还没有（" + who + "）",
                    number ? "save2blk、saveInt2blk 第一次放入股票时新建它；bknumb 在那之前数出 0，del2blk 结果 0"
                           : "get_alarm_data 第一次记下这个名字的预警时新建它");
    }
}

void check_alert_file(const DoctorRun& run) {
    char fn[kPathBytes];
    alert_file_path(fn, sizeof fn);
    const char* topic = "预警文件 ALERT.DAT";
    std::string b;
    if (!plat::file_exists(fn)) {
        run.add("alert", Verdict::warn, topic, std::string(fn) + " 不存在",
                "almtime 标不出预警、ClearAlarm 返回 -1；在大智慧里设一条预警后它就会有");
        return;
    }
    if (!file_bytes(fn, &b)) {
        run.add("alert", Verdict::warn, topic, std::string(fn) + " 读不出来", "almtime、ClearAlarm 会返回 -1");
        return;
    }
    AlertHead head;
    size_t head_bytes = 0;
    HeadRead r = parse_alert_head(std::vector<unsigned char>(b.begin(), b.end()), &head, &head_bytes);
    if (r != HeadRead::ok) {
        const char* why = r == HeadRead::no_header        ? "短于 8 字节的文件头"
                          : r == HeadRead::bad_type_count ? "文件头里的预警类型数不在 1 到 20 之间"
                                                          : "在预警类型定义中间就结束了";
        run.add("alert", Verdict::warn, topic, std::string(fn) + " " + why + "：不是大智慧的预警文件格式",
                "almtime、ClearAlarm 拒绝它并返回 -1；在大智慧里清空预警记录让它重写这个文件");
        return;
    }
    size_t records = (b.size() - head_bytes) / kAlertRecordBytes, tail = (b.size() - head_bytes) % kAlertRecordBytes;
    std::string found = std::string(fn) + "：" + num(head.type_count) + " 种预警，" + num(records) + " 条预警记录";
    if (tail)
        run.add("alert", Verdict::warn, topic, found + "，末尾多出 " + num(tail) + " 个字节", "TARVEX 不看不完整的最后一条");
    else if (records > kAlertMaxRecords)
        run.add("alert", Verdict::warn, topic, found,
                "almtime 只看前 " + num(kAlertMaxRecords) + " 条；用 ClearAlarm 或在大智慧里清掉旧记录");
    else if (!file_opens_for_update(fn))
        run.add("alert", Verdict::warn, topic, found + "，但现在不能写", "ClearAlarm 会返回 -1；去掉文件的只读属性");
    else
        run.add("alert", Verdict::ok, topic, found);
}

void check_stock_info(const DoctorRun& run) {
    for (const char* code : {"600000", "000001"}) {
        const char* market = code[0] == '6' ? "SH" : "SZ";
        std::string topic = std::string("证券信息 data\\") + market + "\\";
        char fn[kPathBytes];
        const InfoLayout* layout = &kInfo70;
        info_path(fn, sizeof fn, code, *layout);
        if (!plat::file_exists(fn)) {
            layout = &kInfo60;
            info_path(fn, sizeof fn, code, *layout);
        }
        plat::File* f = plat::file_exists(fn) ? plat::open_file(fn, "rb") : nullptr;
        if (!f) {
            char newer[kPathBytes];
            info_path(newer, sizeof newer, code, kInfo70);
            run.add("stkinfo", Verdict::warn, topic, std::string(newer) + " 和 " + layout->name + " 都打不开",
                    std::string("LableGet 对") + (code[0] == '6' ? "上海" : "深圳") + "的证券返回 -1（日志 没找到文件）");
            continue;
        }
        unsigned char h[12];
        bool ok = plat::read_file(f, h, sizeof h) == sizeof h;
        int32_t count = ok ? decode_i32(h + kStockInfoCountOffset) : -1;
        // The last record's last byte read must be there.
        bool complete = ok && count >= 0;
        if (complete && count > 0) {
            int64_t last = layout->base + static_cast<int64_t>(count - 1) * layout->stride + kStockInfoBytes - 1;
            unsigned char one;
            complete = plat::seek_file(f, last) && plat::read_file(f, &one, 1) == 1;
        }
        plat::close_file(f);
        if (!ok || count < 0)
            run.add("stkinfo", Verdict::warn, topic, std::string(fn) + " 没有可读的记录数",
                    "LableGet 读不出证券信息；这个文件可能坏了，让大智慧重新下载数据");
        else if (!complete)
            run.add("stkinfo", Verdict::warn, topic,
                    std::string(fn) + " 比它记的 " + num(static_cast<size_t>(count)) + " 条记录短",
                    "LableGet 找不到后面的证券；让大智慧重新下载数据");
        else if (count == 0)
            run.add("stkinfo", Verdict::warn, topic, std::string(fn) + " 没有记录", "LableGet 找不到任何证券");
        else
            run.add("stkinfo", Verdict::ok, topic, std::string(fn) + "：" + num(static_cast<size_t>(count)) + " 条证券记录");
    }
}

void check_investment(const DoctorRun& run) {
    char fn[kPathBytes];
    inv_path(fn, sizeof fn, 1);
    std::string dir = dir_of(fn);
    const char* topic = "投资账户文件";
    std::vector<std::string> paths;
    for (const std::string& n : files_ending(dir, ".inv")) paths.push_back(dir + n);
    if (run.ini_readable)
        for (const IniLine& e : run.ini.entries) {
            if (!same_profile_name(e.section, kAccountNames.section) || run.entry(e.section.c_str(), e.key.c_str()) != &e)
                continue;
            inv_path(fn, sizeof fn, std::atoi(e.key.c_str()));
            if (!plat::file_exists(fn))
                run.add("invest", Verdict::error, "投资账户 " + e.key + "=" + e.value, std::string(fn) + " 不存在",
                        "Trade、TradeFS 对账户 " + e.key + " 返回 -1；文件名要和大智慧投资账户的文件名一致");
        }
    if (paths.empty()) {
        run.add("invest", Verdict::hint, topic, dir + " 里没有 .inv 文件",
                "Trade、TradeFS 要用大智慧投资账户的文件（默认 账户1.inv 等）；在大智慧里建了投资账户才有");
        return;
    }
    size_t sound = 0;
    for (const std::string& p : paths) {
        std::string b;
        std::string name = p.substr(p.rfind('\\') + 1);
        if (!file_bytes(p, &b)) {
            run.add("invest", Verdict::warn, "投资账户 " + name, p + " 读不出来", "Trade、TradeFS 对这个账户返回 -1");
        } else if (b.size() < static_cast<size_t>(kInvHeaderBytes)) {
            run.add("invest", Verdict::warn, "投资账户 " + name, p + " 短于 520 字节的文件头，没有交易记录",
                    "Trade、TradeFS 在这个账户上画不出东西");
        } else if ((b.size() - kInvHeaderBytes) % kInvRecordBytes) {
            run.add("invest", Verdict::warn, "投资账户 " + name,
                    p + " 末尾有 " + num((b.size() - kInvHeaderBytes) % kInvRecordBytes) + " 个字节不够一条 44 字节的记录",
                    "TARVEX 不看它们；前面的记录照常读");
        } else {
            ++sound;
        }
    }
    if (sound == paths.size())
        run.add("invest", Verdict::ok, topic, dir + " 里 " + num(paths.size()) + " 个投资账户文件，格式都对");
}

void check_tdx(const DoctorRun& run) {
    char dir[kPathBytes];
    tdx_dir(dir, sizeof dir);
    const char* topic = "通达信（[路径] 通达信=）";
    if (dir[0] == '\0') {
        run.add("tdx", Verdict::hint, topic, "未设置",
                "TDXlineAll、TDXTrade、StockPositions 用不了（TDXTrade、StockPositions 记日志 未设置 [路径] 通达信=，"
                "TDXlineAll 一般记日志 打开文件失败）；要用时设成通达信的安装目录（末尾带不带 \\ 都行）");
        return;
    }
    std::string d = dir;
    if (!is_directory(d)) {
        run.add("tdx", Verdict::error, topic, d + " 不存在", "TDXlineAll、TDXTrade、StockPositions 会返回 -1；改成通达信的安装目录");
        return;
    }
    run.add("tdx", Verdict::ok, topic, d + " 在");
    std::string cfg = d + "\\connect.cfg";
    char title[kPathBytes];
    plat::profile_string("OTHER", "TitleName", "", title, kTdxDirLimit, cfg.c_str());
    if (!plat::file_exists(cfg.c_str()))
        run.add("tdx_connect", Verdict::error, "通达信 connect.cfg", cfg + " 不存在",
                "TDXTrade、StockPositions 记日志 TDX系统不完整 并返回 -1；[路径] 通达信= 要指向通达信的安装目录");
    else if (title[0] == '\0')
        run.add("tdx_connect", Verdict::error, "通达信 connect.cfg", cfg + " 里没有 [OTHER] TitleName",
                "TDXTrade、StockPositions 记日志 TDX系统不完整；让通达信重新保存设置");
    else
        run.add("tdx_connect", Verdict::ok, "通达信 connect.cfg",
                std::string("TitleName=") + title + "：TARVEX 找标题里含这几个字的窗口");
    std::string t2 = d + "\\T0002\\";
    std::string line = t2 + "line.dat";
    DirAccess a = dir_access(t2);
    if (a != DirAccess::writable) {
        run.add("tdx_line", Verdict::error, "通达信画线文件 T0002\\line.dat",
                t2 + (a == DirAccess::read_only ? " 不能写" : " 不存在"),
                a == DirAccess::read_only ? "TDXlineAll 要改写画线文件时返回 -1，日志 写入文件失败（line.dat 还没有时 打开文件失败）"
                                          : "TDXlineAll 记日志 打开文件失败 并返回 -1");
        return;
    }
    std::string b;
    if (!plat::file_exists(line.c_str()))
        run.add("tdx_line", Verdict::ok, "通达信画线文件 T0002\\line.dat", line + " 还没有：TDXlineAll 第一次写时新建");
    else if (!file_bytes(line, &b))
        run.add("tdx_line", Verdict::error, "通达信画线文件 T0002\\line.dat", line + " 读不出来", "TDXlineAll 会返回 -1");
    else if (b.size() % kTdxRecordBytes)
        run.add("tdx_line", Verdict::warn, "通达信画线文件 T0002\\line.dat",
                line + " 的长度 " + num(b.size()) + " 不是 298 字节记录的整数倍",
                "TDXlineAll 照常写，但通达信可能读错画线；在通达信里删掉画线让它重写这个文件");
    else
        run.add("tdx_line", Verdict::ok, "通达信画线文件 T0002\\line.dat", line + "：" + num(b.size() / kTdxRecordBytes) + " 条画线");
}

void check_mt4_get(const DoctorRun& run) {
    // Set to another program's directory, it should look like one.
    char dir[kPathBytes];
    path_setting(dir, sizeof dir, "MT4_HST_PATH");
    if (run.ini_readable && run.entry(kSectionPaths, "MT4_HST_PATH") && is_directory(dir)) {
        if (files_ending(dir, ".hst").empty())
            run.add("mt4", Verdict::warn, "MT4 历史目录", std::string(dir) + " 里没有 .hst 文件",
                    "这不像 MT4 的 history\\服务器名\\ 目录；Save2Mt4 照样写，但 MT4 看不到");
        else
            run.add("mt4", Verdict::ok, "MT4 历史目录", std::string(dir) + " 里有 MT4 的 .hst 文件");
    }
    path_setting(dir, sizeof dir, "MT4_FILE_PATH");
    if (run.ini_readable && run.entry(kSectionPaths, "MT4_FILE_PATH") && is_directory(dir) &&
        files_ending(dir, ".HWND").empty())
        run.add("mt4", Verdict::hint, "MT4 窗口句柄文件", std::string(dir) + " 里还没有 .HWND 文件",
                "MT4 那边的脚本运行后才有；没有时 Save2Mt4 只写历史文件，不刷新 MT4 图表");
}

void check_log(const DoctorRun& run) {
    std::string log = run.host_dir + "TARVEX.log";
    const char* topic = "日志 TARVEX.log";
    const char* where = "（TARVEX.log 写在大智慧的工作目录，从快捷方式启动时一般就是主程序目录）";
    if (plat::file_exists(log.c_str())) {
        if (file_opens_for_update(log))
            run.add("log", Verdict::ok, topic, log + " 在，能写" + where);
        else
            run.add("log", Verdict::warn, topic, log + " 不能写" + where,
                    "函数照常运行，但出错的原因记不下来；去掉它的只读属性");
        return;
    }
    if (dir_access(run.host_dir) == DirAccess::writable)
        run.add("log", Verdict::ok, topic, "还没有，第一次记日志时新建在 " + run.host_dir + where);
    else
        run.add("log", Verdict::warn, topic, run.host_dir + " 不能写" + where, "函数照常运行，但出错的原因记不下来");
}
