// The TARVEX harness: plays the host's part for formula writers and for the
// build. It loads a TARVEX.dll by path, builds a call record from a CSV of
// bars or the built-in sample chart, calls one export through its exact
// symbol and prints the return value and the result slots. It also checks a
// DLL file: machine type, the exported symbols against the export list, the
// imported DLLs, and the oldest Windows its imported functions need (the
// host runs on Windows XP SP3 and later, so nothing newer may be needed); a
// TDX plug-in (TARVEX_TDX.dll, 32- or 64-bit) is told apart and checked for
// its one export.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "host/export_table.h"
#include "tools/harness/lib/bars_input.h"
#include "tools/harness/lib/chart.h"
#include "tools/harness/lib/chart_svg.h"
#include "tools/harness/lib/doctor.h"
#include "tools/harness/lib/doctor_fs.h"
#include "tools/harness/lib/gbk_utf8.h"
#include "tools/harness/lib/dll_host.h"
#include "tools/harness/lib/dll_kind.h"
#include "tools/harness/lib/pe_image.h"
#include "tools/harness/lib/result_kinds.h"
#include "tools/harness/lib/tdx_day.h"
#include "tools/harness/lib/windows_imports.h"

namespace {

// Every text below is GBK, as the library's; `say` turns it into UTF-8
// unless the console shows GBK or --gbk was given.
bool g_gbk = false;

void say(const std::string& gbk) {
    std::fputs(g_gbk ? gbk.c_str() : gbk_to_utf8(gbk).c_str(), stdout);
}

std::string format(const char* f, ...) __attribute__((format(gnu_printf, 1, 2)));
std::string format(const char* f, ...) {
    char buf[1024];
    va_list args;
    va_start(args, f);
    std::vsnprintf(buf, sizeof buf, f, args);
    va_end(args);
    return buf;
}

void usage() {
    say("用法 usage:\n"
        "  harness check TARVEX.dll | TARVEX_TDX.dll   检查 DLL：机器类型、导出函数、版本、需要的最老的 Windows\n"
        "  harness call TARVEX.dll 函数名 [选项]        在示例 K 线（或你的 K 线）上调用一个函数\n"
        "  harness savedata0 TARVEX.dll 名字 时间 代码 值\n"
        "  harness list                               列出 44 个函数\n"
        "  harness doctor [大智慧目录]                  检查一个安装（默认当前目录）\n"
        "  harness same 文件1 文件2                     两个文件完全相同时退出码为 0（给安装程序用）\n"
        "  任何命令加 --gbk：输出 GBK（在中文 Windows 的命令行窗口里不加也是 GBK）\n"
        "call 的选项 options:\n"
        "  --csv 文件         K 线取自 CSV 文件（时间,开,高,低,收,量,额）\n"
        "  --tdx-day 文件     K 线取自通达信日线文件（vipdoc\\sh\\lday\\sh600000.day），代码和是否指数取自文件名\n"
        "  --sample           内置的示例 K 线（默认）\n"
        "  --p1 V             参数 1 为常数\n"
        "  --p1-series F      参数 1 为序列：open|high|low|close|volume|amount，或用逗号隔开的数\n"
        "  --start N          序列参数 1 的第一个有效位置（默认 0）\n"
        "  --p2 V  --p3 V  --p4 V   参数 2 到 4\n"
        "  --period N         周期代码（默认 8，日线）\n"
        "  --code 代码         证券代码（默认 600000）\n"
        "  --index            这是指数\n"
        "  --all              显示每根 K 线的结果（默认：标号函数显示所有标号，其他函数显示最后 10 根）\n"
        "  --marks            只显示不为 0 的结果，带日期和价格（标号函数默认如此）\n"
        "  --svg 文件          另把 K 线和结果画成 SVG 图\n");
}

bool read_text_file(const char* path, std::string* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::stringstream ss;
    ss << in.rdbuf();
    *out = ss.str();
    return true;
}

int check_dll(const char* path) {
    std::string bytes;
    if (!read_text_file(path, &bytes)) return say(format("读不了文件 %s（cannot read）\n", path)), 2;
    PeImage pe;
    std::string error;
    if (!read_pe_image(std::vector<unsigned char>(bytes.begin(), bytes.end()), &pe, &error))
        return say(format("%s 不是能读的 DLL 文件：%s\n", path, error.c_str())), 1;
    // TARVEX.dll is checked against the export list; the TDX plug-in (32- or
    // 64-bit) exports RegisterTdxFunc and nothing else.
    const DllKind kind = dll_kind(pe);
    const bool plugin = kind != DllKind::kDzhLibrary;
    bool ok = pe.is_dll && (plugin ? kind != DllKind::kTdxPluginOther : pe.machine == kMachineI386);
    say(format("机器类型 machine 0x%X (%s)，%s\n", pe.machine, machine_name(pe.machine),
               pe.is_dll ? "是 DLL" : "不是 DLL（not a DLL）"));
    say(format("种类 kind: %s\n", dll_kind_text(kind)));
    std::set<std::string> exported(pe.exports.begin(), pe.exports.end());
    int built = plugin ? 1 : 0;
    if (plugin) exported.erase(kTdxRegisterSymbol);
    for (int i = 0; i < kExportCount && !plugin; ++i) {
        const ExportEntry& e = kExportTable[i];
        bool present = exported.erase(e.symbol) > 0;
        built += e.built;
        if (present != e.built) {
            ok = false;
            say(format("  %s: %s\n", e.symbol, e.built ? "缺少 MISSING" : "导出了但不在这个版本里 exported but not built"));
        }
    }
    for (const std::string& extra : exported) {
        ok = false;
        say(format("  %s: 不在函数表里 not in the export list\n", extra.c_str()));
    }
    say(format("导出函数 exports: %zu names, %d expected\n", pe.exports.size(), built));
    // The version texts are UTF-8 as read; they are said in the console's text.
    if (pe.file_version.empty())
        say("版本 version: none\n");
    else
        say(format("版本 version %s\n", pe.file_version.c_str()));
    for (const auto& kv : pe.version_texts) say("  " + kv.first + ": " + utf8_to_gbk(kv.second) + "\n");
    for (const std::string& dll : pe.imports) {
        bool system = is_system_dll(dll);
        ok = ok && system;
        say(format("导入 imports %s%s\n", dll.c_str(), system ? "" : "  <- 不是 Windows 自带的 DLL（not a Windows system DLL）"));
    }
    // The 32-bit builds serve hosts that still run on XP; the import list
    // knows 32-bit XP SP3, and a 64-bit TDX terminal runs on newer Windows.
    if (pe.machine == kMachineI386) {
        ImportNeeds needs = import_needs(pe.imported_functions);
        say(format("最老的 Windows oldest Windows: %s (%zu imported functions)\n", windows_name(needs.oldest),
                   pe.imported_functions.size()));
        for (const std::string& beyond : needs.beyond_xp) say("  " + beyond + "\n");
        ok = ok && needs.oldest == WindowsVersion::xp_sp3;
    } else {
        say(format("最老的 Windows oldest Windows: 64 位的不判断 not judged for a 64-bit image (%zu imported functions)\n",
                   pe.imported_functions.size()));
    }
    say(ok ? "检查通过 check passed\n" : "检查不通过 check FAILED\n");
    return ok ? 0 : 1;
}

bool series_from(const std::string& spec, const std::vector<BarRecord>& bars, std::vector<float>* out) {
    out->clear();
    static const char* const kFields[] = {"open", "high", "low", "close", "volume", "amount"};
    for (int f = 0; f < 6; ++f) {
        if (spec != kFields[f]) continue;
        for (const BarRecord& b : bars) {
            const float* v = &b.open;
            out->push_back(v[f]);
        }
        return true;
    }
    std::stringstream ss(spec);
    std::string item;
    while (std::getline(ss, item, ',')) out->push_back(std::strtof(item.c_str(), nullptr));
    if (out->size() != bars.size()) {
        say(format("--p1-series：给了 %zu 个数，K 线有 %zu 根（values for bars）\n", out->size(), bars.size()));
        return false;
    }
    return true;
}

// A bar's time as the host stamps it: day bars at the start of their UTC
// day, intraday bars in Beijing time (UTC+8); both read right at UTC+8.
std::string bar_time(const BarRecord& b, int period) {
    std::time_t t = static_cast<std::time_t>(b.time) + 28800;
    const std::tm* tm = std::gmtime(&t);
    if (!tm) return "?";
    char text[32];
    bool intraday = period != kPeriodDay && period != kPeriodWeek && period != kPeriodMonth;
    std::strftime(text, sizeof text, intraday ? "%Y-%m-%d %H:%M" : "%Y-%m-%d", tm);
    return text;
}

// Exports whose result is labels on a few bars: shown as those bars.
bool marks_bars(ResultKind kind) {
    return kind == ResultKind::kPeakLabels || kind == ResultKind::kTroughLabels || kind == ResultKind::kLabels ||
           kind == ResultKind::kLevels;
}

long long file_size(const char* path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    return in ? static_cast<long long>(in.tellg()) : 0;
}

// The log lines a call appended to TARVEX.log (in the current directory).
void say_new_log_lines(long long before) {
    std::string text;
    read_text_file("TARVEX.log", &text);
    if (before > static_cast<long long>(text.size())) before = 0;  // rewritten meanwhile
    std::string added = text.substr(static_cast<size_t>(before));
    size_t b = added.find_first_not_of("\r\n");
    if (b == std::string::npos) {
        say("这次调用没有写日志（TARVEX.log）\n");
        return;
    }
    say("这次调用写的日志 log（TARVEX.log）：\n");
    std::stringstream ss(added.substr(b));
    for (std::string line; std::getline(ss, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) say("  " + line + "\n");
    }
}

std::string export_names_near(const std::string& name) {
    std::vector<std::string> names;
    for (int i = 0; i < kExportCount; ++i) names.push_back(kExportTable[i].function);
    return nearest_name(name, names);
}

int call_export(int argc, char** argv) {
    const char* dll = argv[2];
    const ExportEntry* e = find_export(argv[3]);
    if (!e)
        return say(format("%s 不是 TARVEX 的函数（not one of the 44 exports）。你是不是要 %s？"
                          "名字区分大小写；全部函数见 harness list\n",
                          argv[3], export_names_near(argv[3]).c_str())),
               2;
    // savedata0 takes four plain arguments, not a call record: called with a
    // record it would read its arguments from the wrong places.
    if (e->arg_bytes != 4)
        return say(format("%s 不用 K 线记录调用：请用 harness savedata0 DLL 名字 时间 代码 值\n", e->function)), 2;
    Chart chart(0);
    chart.set_bars(sample_bars(), 0.0f);
    std::string series, svg;
    std::string param_text[4];  // the parameters as given, for the picture's title
    int start = 0;
    bool all = false, marks = false;
    bool code_given = false, index_given = false;
    TdxDaySecurity day_security;  // from a --tdx-day file name
    bool day_file = false;
    for (int i = 4; i < argc; ++i) {
        std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        auto number = [&](std::vector<float>* p) {
            if (!v) return false;
            *p = {std::strtof(v, nullptr)};
            ++i;
            return true;
        };
        bool ok = true;
        if ((a == "--csv" || a == "--tdx-day" || a == "--svg") && !v) {
            return say(format("%s 后面要跟文件名（needs a file name）\n", a.c_str())), 2;
        } else if (a == "--csv") {
            std::string text, error;
            std::vector<BarRecord> bars;
            if (!read_text_file(v, &text)) return say(format("读不了 CSV 文件 %s（cannot read）\n", v)), 2;
            if (!parse_bars_csv(text, &bars, &error)) return say(format("CSV 文件 %s：%s\n", v, error.c_str())), 2;
            chart.set_bars(bars, 0.0f);
            day_file = false;
            ++i;
        } else if (a == "--tdx-day") {
            std::string bytes, error;
            std::vector<BarRecord> bars;
            if (!read_text_file(v, &bytes)) return say(format("读不了日线文件 %s（cannot read）\n", v)), 2;
            if (!tdx_day_security(v, &day_security, &error) ||
                !parse_tdx_day(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &bars, &error))
                return say(format("日线文件 %s：%s\n", v, error.c_str())), 2;
            chart.set_bars(bars, 0.0f);
            day_file = true;
            ++i;
        } else if (a == "--sample") {
            chart.set_bars(sample_bars(), 0.0f);
        } else if (a == "--p1") {
            if (v) param_text[0] = v;
            ok = number(&chart.p1);
            chart.param1_start = -1;
            series.clear();
        } else if (a == "--p1-series" && v) {
            series = v;
            ++i;
        } else if (a == "--start" && v) {
            start = std::atoi(v);
            ++i;
        } else if (a == "--p2" || a == "--p3" || a == "--p4") {
            if (v) param_text[a[3] - '1'] = v;
            ok = number(a == "--p2" ? &chart.p2 : a == "--p3" ? &chart.p3 : &chart.p4);
        } else if (a == "--period" && v) {
            chart.period = std::atoi(v);
            ++i;
        } else if (a == "--code" && v) {
            chart.label = v;
            code_given = true;
            ++i;
        } else if (a == "--index") {
            chart.label_flag = 1;
            index_given = true;
        } else if (a == "--all") {
            all = true;
        } else if (a == "--marks") {
            marks = true;
        } else if (a == "--svg") {
            svg = v;
            ++i;
        } else {
            ok = false;
        }
        if (!ok) return say(format("选项 %s 不对或缺它的值（bad option）；见 harness 不带参数时的说明\n", a.c_str())), 2;
    }
    // --code and --index, wherever they stand, win over the file name.
    if (day_file && !code_given) chart.label = day_security.code;
    if (day_file && !index_given) chart.label_flag = day_security.index ? 1 : 0;
    if (!series.empty()) {
        if (!series_from(series, chart.bars, &chart.p1)) return 2;
        chart.param1_start = start;
        param_text[0] = series.size() > 24 ? "序列" : series;
        if (start > 0) param_text[0] += "[自" + std::to_string(start) + "]";
    }
    std::string error;
    if (!load_tarvex(dll, &error)) return say(format("载入不了 %s：%s\n", dll, error.c_str())), 2;
    const ResultKind kind = result_kind(e->function);
    long long log_before = file_size("TARVEX.log");
    bool found = false;
    int r = call_formula(e->symbol, &chart.ci(), &found);
    if (!found) return say(format("%s 没有导出 %s（does not export）\n", dll, e->symbol)), 1;
    say(format("%s（%s）：%s，%zu 根 K 线，周期 %d\n", e->function, e->symbol, chart.label.c_str(), chart.bars.size(),
               chart.period));
    say(format("返回 return %d\n", r));
    // Exports that mark a few bars show those bars, with date and prices;
    // the others their last 10 slots. Slots before the returned index carry
    // no value for the host.
    if (marks_bars(kind) && !all) marks = true;
    size_t first = all || marks || chart.result.size() < 10 ? 0 : chart.result.size() - 10;
    size_t shown = 0;
    if (marks) say("不为 0 的结果（标号）marks:\n");
    for (size_t i = first; i < chart.result.size(); ++i) {
        if (marks && chart.result[i] == 0.0f) continue;
        std::string no_value = r < 0 || static_cast<int>(i) < r ? "   （无值 no value）" : "";
        const BarRecord& b = chart.bars[i];
        if (marks)
            say(format("  第 %zu 根 %s 收 %g 高 %g 低 %g：%g%s\n", i, bar_time(b, chart.period).c_str(), b.close, b.high,
                       b.low, chart.result[i], no_value.c_str()));
        else
            say(format("result[%zu] = %g%s\n", i, chart.result[i], no_value.c_str()));
        ++shown;
    }
    if (marks && shown == 0) say("  （没有：每根 K 线上都是 0）\n");
    say_new_log_lines(log_before);
    if (!svg.empty()) {
        ChartCall call;
        call.function = e->function;
        call.returned = r;
        call.kind = kind;
        int last = 3;
        while (last >= 0 && param_text[last].empty()) --last;
        for (int p = 0; p <= last; ++p)
            call.params += (p ? ", " : "") + (param_text[p].empty() ? std::string("-") : param_text[p]);
        std::ofstream out(svg, std::ios::binary);
        out << gbk_to_utf8(chart_svg(chart, call));
        if (!out.flush()) return say(format("写不了图片文件 %s（cannot write）\n", svg.c_str())), 2;
        say(format("图 picture: %s\n", svg.c_str()));
    }
    return 0;
}

// harness doctor [HOSTDIR]: 0 when TARVEX can work and every feature set up
// in TARVEX.ini can (notes only), 1 when some row is an error, 2 when
// HOSTDIR is no directory.
int doctor(int argc, char** argv) {
    std::string dir = ".";
    for (int i = 2; i < argc; ++i) dir = argv[i];
    std::string host = absolute_dir(dir);
    if (host.empty() || !is_directory(host)) return say(format("%s 不是目录（not a directory）\n", dir.c_str())), 2;
    DoctorReport report = run_doctor(host);
    say(doctor_text(report));
    return report.has_error() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    // --gbk may stand anywhere; it is taken out before the commands read theirs.
    g_gbk = console_is_gbk();
    int n = 0;
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && std::strcmp(argv[i], "--gbk") == 0) g_gbk = true;
        else argv[n++] = argv[i];
    }
    argc = n;
    if (argc >= 2 && std::strcmp(argv[1], "list") == 0) {
        for (int i = 0; i < kExportCount; ++i)
            say(format("%-18s %-40s %s\n", kExportTable[i].function, kExportTable[i].symbol,
                       kExportTable[i].built ? "built" : "not built yet"));
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "check") == 0) return check_dll(argv[2]);
    if (argc >= 2 && std::strcmp(argv[1], "doctor") == 0) return doctor(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "same") == 0) {
        std::string a, b;
        return read_text_file(argv[2], &a) && read_text_file(argv[3], &b) && a == b ? 0 : 1;
    }
    if (argc >= 4 && std::strcmp(argv[1], "call") == 0) return call_export(argc, argv);
    if (argc == 7 && std::strcmp(argv[1], "savedata0") == 0) {
        std::string error;
        if (!load_tarvex(argv[2], &error)) return say(format("载入不了 %s：%s\n", argv[2], error.c_str())), 2;
        bool found = false;
        long long log_before = file_size("TARVEX.log");
        int r = call_savedata0(argv[3], std::atol(argv[4]), argv[5], std::strtof(argv[6], nullptr), &found);
        if (!found) return say("这个 DLL 没有导出 savedata0（not exported）\n"), 1;
        say(format("返回 return %d\n", r));
        say_new_log_lines(log_before);
        return 0;
    }
    usage();
    return 2;
}
