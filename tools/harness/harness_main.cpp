// The TARVEX harness: plays the host's part for formula writers and for the
// build. It loads a TARVEX.dll by path, builds a call record from a CSV of
// bars or the built-in sample chart, calls one export through its exact
// symbol and prints the return value and the result slots. It also checks a
// DLL file: machine type, the exported symbols against the export list, the
// imported DLLs, and the oldest Windows its imported functions need (the
// host runs on Windows XP SP3 and later, so nothing newer may be needed); a
// TDX plug-in (TARVEX_TDX.dll, 32- or 64-bit) is told apart and checked for
// its one export.
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
#include "tools/harness/lib/tdx_day.h"
#include "tools/harness/lib/windows_imports.h"

namespace {

void usage() {
    std::puts(
        "usage:\n"
        "  harness check TARVEX.dll | TARVEX_TDX.dll\n"
        "  harness call TARVEX.dll FUNCTION [options]\n"
        "  harness savedata0 TARVEX.dll NAME TIME CODE VALUE\n"
        "  harness list\n"
        "  harness doctor [--gbk] [HOSTDIR]   check an installation (default: the current directory)\n"
        "  harness same FILE1 FILE2   exit 0 when the files are equal byte for byte (for the installer)\n"
        "options of call:\n"
        "  --csv FILE        bars from FILE (time,open,high,low,close,volume,amount)\n"
        "  --tdx-day FILE    bars from a TDX day file (vipdoc\\sh\\lday\\sh600000.day);\n"
        "                    the code and whether it is an index follow from its name\n"
        "  --sample          the built-in sample chart (the default)\n"
        "  --p1 V            parameter 1 as a constant\n"
        "  --p1-series F     parameter 1 as a series: open|high|low|close|volume|amount,\n"
        "                    or values separated by commas\n"
        "  --start N         first valid index of a series parameter 1 (default 0)\n"
        "  --p2 V  --p3 V  --p4 V   parameters 2 to 4\n"
        "  --period N        chart period code (default 8, day)\n"
        "  --code TEXT       security code (default 600000)\n"
        "  --index           the security is a market index\n"
        "  --all             print every result slot (default: the last 10)\n"
        "  --marks           print every slot that is not 0 (the anchors of line formulas)\n"
        "  --svg FILE        also draw the chart and the result as an SVG picture in FILE");
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
    if (!read_text_file(path, &bytes)) return std::printf("cannot read %s\n", path), 2;
    PeImage pe;
    std::string error;
    if (!read_pe_image(std::vector<unsigned char>(bytes.begin(), bytes.end()), &pe, &error))
        return std::printf("%s: %s\n", path, error.c_str()), 1;
    // TARVEX.dll is checked against the export list; the TDX plug-in (32- or
    // 64-bit) exports RegisterTdxFunc and nothing else.
    const DllKind kind = dll_kind(pe);
    const bool plugin = kind != DllKind::kDzhLibrary;
    bool ok = pe.is_dll && (plugin ? kind != DllKind::kTdxPluginOther : pe.machine == kMachineI386);
    std::printf("machine 0x%X (%s), %s\n", pe.machine, machine_name(pe.machine), pe.is_dll ? "DLL" : "not a DLL");
    std::printf("kind: %s\n", dll_kind_text(kind));
    std::set<std::string> exported(pe.exports.begin(), pe.exports.end());
    int built = plugin ? 1 : 0;
    if (plugin) exported.erase(kTdxRegisterSymbol);
    for (int i = 0; i < kExportCount && !plugin; ++i) {
        const ExportEntry& e = kExportTable[i];
        bool present = exported.erase(e.symbol) > 0;
        built += e.built;
        if (present != e.built) {
            ok = false;
            std::printf("  %s: %s\n", e.symbol, e.built ? "MISSING" : "exported but not built");
        }
    }
    for (const std::string& extra : exported) {
        ok = false;
        std::printf("  %s: not in the export list\n", extra.c_str());
    }
    std::printf("exports: %zu names, %d expected\n", pe.exports.size(), built);
    // The version texts are printed as UTF-8, as the SVG pictures are written.
    if (pe.file_version.empty())
        std::puts("version: none");
    else
        std::printf("version %s\n", pe.file_version.c_str());
    for (const auto& kv : pe.version_texts) std::printf("  %s: %s\n", kv.first.c_str(), kv.second.c_str());
    for (const std::string& dll : pe.imports) {
        bool system = is_system_dll(dll);
        ok = ok && system;
        std::printf("imports %s%s\n", dll.c_str(), system ? "" : "  <- not a Windows system DLL");
    }
    // The 32-bit builds serve hosts that still run on XP; the import list
    // knows 32-bit XP SP3, and a 64-bit TDX terminal runs on newer Windows.
    if (pe.machine == kMachineI386) {
        ImportNeeds needs = import_needs(pe.imported_functions);
        std::printf("oldest Windows: %s (%zu imported functions)\n", windows_name(needs.oldest),
                    pe.imported_functions.size());
        for (const std::string& beyond : needs.beyond_xp) std::printf("  %s\n", beyond.c_str());
        ok = ok && needs.oldest == WindowsVersion::xp_sp3;
    } else {
        std::printf("oldest Windows: not judged for a 64-bit image (%zu imported functions)\n",
                    pe.imported_functions.size());
    }
    std::puts(ok ? "check passed" : "check FAILED");
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
        std::printf("--p1-series: %zu values for %zu bars\n", out->size(), bars.size());
        return false;
    }
    return true;
}

int call_export(int argc, char** argv) {
    const char* dll = argv[2];
    const ExportEntry* e = find_export(argv[3]);
    if (!e) return std::printf("%s is not one of the 44 exports (try: harness list)\n", argv[3]), 2;
    // savedata0 takes four plain arguments, not a call record: called with a
    // record it would read its arguments from the wrong places.
    if (e->arg_bytes != 4)
        return std::printf("%s takes no call record: use harness savedata0 DLL NAME TIME CODE VALUE\n", e->function), 2;
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
        if (a == "--csv") {
            std::string text, error;
            std::vector<BarRecord> bars;
            if (!v || !read_text_file(v, &text)) return std::printf("cannot read the CSV file\n"), 2;
            if (!parse_bars_csv(text, &bars, &error)) return std::printf("%s: %s\n", v, error.c_str()), 2;
            chart.set_bars(bars, 0.0f);
            day_file = false;
            ++i;
        } else if (a == "--tdx-day") {
            std::string bytes, error;
            std::vector<BarRecord> bars;
            if (!v || !read_text_file(v, &bytes)) return std::printf("cannot read the day file\n"), 2;
            if (!tdx_day_security(v, &day_security, &error) ||
                !parse_tdx_day(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &bars, &error))
                return std::printf("%s: %s\n", v, error.c_str()), 2;
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
        } else if (a == "--svg" && v) {
            svg = v;
            ++i;
        } else {
            ok = false;
        }
        if (!ok) return std::printf("bad option %s\n", a.c_str()), 2;
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
    if (!load_tarvex(dll, &error)) return std::printf("%s: %s\n", dll, error.c_str()), 2;
    bool found = false;
    int r = call_formula(e->symbol, &chart.ci(), &found);
    if (!found) return std::printf("%s does not export %s (not built yet)\n", dll, e->symbol), 1;
    std::printf("%s (%s) on %s, %zu bars, period %d\n", e->function, e->symbol, chart.label.c_str(),
                chart.bars.size(), chart.period);
    std::printf("return %d\n", r);
    size_t first = all || chart.result.size() < 10 ? 0 : chart.result.size() - 10;
    // Slots before the returned index carry no value for the host.
    if (marks) first = 0;
    for (size_t i = first; i < chart.result.size(); ++i)
        if (!marks || chart.result[i] != 0.0f)
            std::printf("result[%zu] = %g%s\n", i, chart.result[i],
                        r < 0 || static_cast<int>(i) < r ? "   (no value)" : "");
    if (!svg.empty()) {
        ChartCall call;
        call.function = e->function;
        call.returned = r;
        call.kind = result_kind(e->function);
        int last = 3;
        while (last >= 0 && param_text[last].empty()) --last;
        for (int p = 0; p <= last; ++p)
            call.params += (p ? ", " : "") + (param_text[p].empty() ? std::string("-") : param_text[p]);
        std::ofstream out(svg, std::ios::binary);
        out << gbk_to_utf8(chart_svg(chart, call));
        if (!out.flush()) return std::printf("cannot write %s\n", svg.c_str()), 2;
        std::printf("picture: %s\n", svg.c_str());
    }
    return 0;
}

// harness doctor [--gbk] [HOSTDIR]: 0 when nothing would stop an export, 1
// when something would, 2 when HOSTDIR is no directory.
int doctor(int argc, char** argv) {
    bool gbk = false;
    std::string dir = ".";
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--gbk") == 0) gbk = true;
        else dir = argv[i];
    }
    std::string host = absolute_dir(dir);
    if (host.empty() || !is_directory(host)) return std::printf("%s: not a directory\n", dir.c_str()), 2;
    DoctorReport report = run_doctor(host);
    std::string text = doctor_text(report);
    std::fputs(gbk ? text.c_str() : gbk_to_utf8(text).c_str(), stdout);
    return report.has_error() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "list") == 0) {
        for (int i = 0; i < kExportCount; ++i)
            std::printf("%-18s %-40s %s\n", kExportTable[i].function, kExportTable[i].symbol,
                        kExportTable[i].built ? "built" : "not built yet");
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
        if (!load_tarvex(argv[2], &error)) return std::printf("%s: %s\n", argv[2], error.c_str()), 2;
        bool found = false;
        int r = call_savedata0(argv[3], std::atol(argv[4]), argv[5], std::strtof(argv[6], nullptr), &found);
        if (!found) return std::printf("savedata0 is not exported yet\n"), 1;
        std::printf("return %d\n", r);
        return 0;
    }
    usage();
    return 2;
}
