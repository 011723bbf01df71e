// harness doctor: the run, the rows of the host program, the DLL, TARVEX.ini
// and the path settings, and the report's text.
#include "tools/harness/lib/doctor.h"

#include <cstdio>
#include <cstring>
#include <set>

#include "common/coding.h"
#include "common/host_file.h"
#include "common/rehearsal.h"
#include "common/paths.h"
#include "common/settings.h"
#include "host/export_table.h"
#include "platform/host_view.h"
#include "platform/platform.h"
#include "tools/harness/lib/doctor_checks.h"
#include "tools/harness/lib/doctor_fs.h"
#include "tools/harness/lib/export_readers.h"
#include "tools/harness/lib/pe_image.h"

namespace {

std::string lower_ascii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool ends_with_ci(const std::string& s, const char* tail) {
    size_t n = std::strlen(tail);
    return s.size() >= n && lower_ascii(s.substr(s.size() - n)) == lower_ascii(tail);
}

// Machine and kind of a program file from its headers: false when it is no PE file.
bool pe_kind(const std::string& path, unsigned* machine, bool* is_dll) {
    plat::File* f = plat::open_file(path.c_str(), "rb");
    if (!f) return false;
    unsigned char h[1024] = {};
    size_t n = plat::read_file(f, h, sizeof h);
    plat::close_file(f);
    if (n < 0x40 || h[0] != 'M' || h[1] != 'Z') return false;
    uint32_t pe = decode_u32(h + 0x3C);
    if (pe + 24 > n || std::memcmp(h + pe, "PE\0\0", 4) != 0) return false;
    *machine = h[pe + 4] | (h[pe + 5] << 8);
    *is_dll = (h[pe + 22] | (h[pe + 23] << 8)) & 0x2000;
    return true;
}

// Programs of ours or of other programs' bridges that may lie beside the host.
bool is_helper_program(const std::string& name) {
    std::string n = lower_ascii(name);
    return n == "harness.exe" || n == "veskorin.exe" || n == "tarvex_setup.exe";
}

const char* verdict_word(Verdict v) {
    switch (v) {
        case Verdict::ok: return "正常";
        case Verdict::hint: return "提示";
        case Verdict::warn: return "注意";
        case Verdict::error: return "错误";
    }
    return "";
}

// The host program the library's paths hang from: the first 32-bit program
// in the directory, else any program, else a name in it.
std::string host_program_path(const std::string& dir) {
    std::string any;
    for (const std::string& name : files_ending(dir, ".exe")) {
        if (is_helper_program(name)) continue;
        unsigned machine = 0;
        bool dll = false;
        if (pe_kind(dir + name, &machine, &dll) && !dll && machine == 0x14C) return dir + name;
        if (any.empty()) any = dir + name;
    }
    return any.empty() ? dir + "dzh.exe" : any;
}

}  // namespace

// ---- shared helpers ----

bool same_profile_name(const std::string& a, const std::string& b) { return lower_ascii(a) == lower_ascii(b); }

const IniLine* DoctorRun::entry(const char* section, const char* key) const {
    for (const IniLine& e : ini.entries)
        if (same_profile_name(e.section, section) && same_profile_name(e.key, key)) return &e;
    return nullptr;
}

std::string doctor_probe_name() { return "~tarvex-doctor-" + std::to_string(plat::process_id()) + ".tmp"; }

DirAccess dir_access(const std::string& dir) {
    if (!is_directory(dir)) return plat::file_exists(dir.c_str()) ? DirAccess::not_directory : DirAccess::missing;
    std::string d = dir.back() == '\\' ? dir : dir + "\\";
    std::string probe = d + doctor_probe_name();
    for (int n = 1; plat::file_exists(probe.c_str()); ++n) probe = d + doctor_probe_name() + std::to_string(n);
    plat::File* f = plat::open_file(probe.c_str(), "wb");
    if (!f) return DirAccess::read_only;
    plat::close_file(f);
    plat::remove_file(probe.c_str());
    return DirAccess::writable;
}

bool file_opens_for_update(const std::string& path) {
    plat::File* f = plat::open_file(path.c_str(), "r+b");
    if (!f) return false;
    plat::close_file(f);
    return true;
}

bool file_bytes(const std::string& path, std::string* out) {
    std::vector<unsigned char> b;
    if (!read_whole_file(path.c_str(), &b)) return false;
    out->assign(b.begin(), b.end());
    return true;
}

std::vector<std::string> files_ending(const std::string& dir, const char* ext) {
    std::vector<std::string> out;
    for (const std::string& name : plat::files_named_like(dir.c_str()))
        if (ends_with_ci(name, ext)) out.push_back(name);
    return out;
}

std::string dir_of(const std::string& path) {
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// ---- the host program and the DLL ----

void check_host_program(const DoctorRun& run) {
    const std::string& dir = run.host_dir;
    std::string programs32, programs64, not_programs;
    for (const std::string& name : files_ending(dir, ".exe")) {
        unsigned machine = 0;
        bool dll = false;
        if (is_helper_program(name)) continue;
        std::string* list = !pe_kind(dir + name, &machine, &dll) || dll ? &not_programs
                            : machine == 0x14C                         ? &programs32
                                                                       : &programs64;
        *list += (list->empty() ? "" : "、") + name;
    }
    const char* topic = "主程序";
    if (!programs32.empty())
        run.add("host_program", Verdict::ok, topic, programs32 + " 是 32 位 Windows 程序，能载入 32 位的 TARVEX.dll");
    else if (!programs64.empty())
        run.add("host_program", Verdict::error, topic,
                programs64 + " 是 64 位程序，载入不了 32 位的 TARVEX.dll",
                "TARVEX 只能给 32 位的大智慧用；请放到 32 位大智慧的主程序目录");
    else if (!not_programs.empty())
        run.add("host_program", Verdict::error, topic,
                not_programs + " 不是能运行的 Windows 程序（文件坏了，或只是改了扩展名）",
                "重新安装大智慧，或选放着大智慧主程序的那个目录");
    else
        run.add("host_program", Verdict::error, topic, dir + " 里没有 exe 文件：这里没有大智慧的主程序",
                "TARVEX.dll 要放在大智慧的 exe 所在的目录，不是子目录；它的路径都从那个目录算起");

    bool data = is_directory(dir + "data"), userdata = is_directory(dir + "userdata");
    if (data && userdata) {
        run.add("host_tree", Verdict::ok, "主程序目录", dir + " 下有 data\\ 和 userdata\\");
        return;
    }
    if (data || userdata) {
        run.add("host_tree", Verdict::warn, "主程序目录",
                dir + " 下没有 " + (data ? "userdata\\" : "data\\") + "（大智慧一般两个都有）",
                data ? "板块、预警、自定义数据和投资账户的函数找不到它们的文件，各项见下面"
                     : "LableGet 找不到证券信息文件（见下面的 证券信息）");
        return;
    }
    // Pointed at one of the host's own subdirectories, say which is meant.
    std::string parent = dir.size() > 1 ? dir_of(dir.substr(0, dir.size() - 1)) : "";
    std::string here = dir.substr(parent.size());
    bool subdir = !parent.empty() && is_directory(parent + "data") && is_directory(parent + "userdata");
    run.add("host_tree", Verdict::error, "主程序目录",
            dir + " 下既没有 data\\ 也没有 userdata\\：这不是大智慧的主程序目录",
            subdir ? "这是大智慧目录下的 " + here + "；请选它的上一级 " + parent
                   : "请选放着大智慧 exe 和 data、userdata 目录的那个目录");
}

void check_dll(const DoctorRun& run) {
    std::string path = run.host_dir + "TARVEX.dll";
    const char* topic = "TARVEX.dll";
    std::string bytes;
    if (!plat::file_exists(path.c_str())) {
        run.add("dll", Verdict::error, topic, path + " 不存在", "把 TARVEX.dll 复制到这个目录（先关掉大智慧）");
        return;
    }
    PeImage pe;
    std::string error;
    if (!file_bytes(path, &bytes) ||
        !read_pe_image(std::vector<unsigned char>(bytes.begin(), bytes.end()), &pe, &error)) {
        run.add("dll", Verdict::error, topic, path + " 不是能读的 DLL 文件（" + error + "）",
                "重新从发布包里复制 TARVEX.dll");
        return;
    }
    if (pe.machine != 0x14C || !pe.is_dll) {
        run.add("dll", Verdict::error, topic,
                path + (pe.is_dll ? " 不是 32 位的 DLL" : " 不是 DLL"), "用发布包里的 32 位 TARVEX.dll");
        return;
    }
    std::set<std::string> exported(pe.exports.begin(), pe.exports.end());
    std::string missing;
    int count = 0, absent = 0;
    for (int i = 0; i < kExportCount; ++i) {
        if (!kExportTable[i].built) continue;
        ++count;
        if (exported.count(kExportTable[i].symbol)) continue;
        if (++absent <= 5) missing += std::string(missing.empty() ? "" : "、") + kExportTable[i].function;
    }
    std::string version = pe.file_version.empty() ? "" : "，版本 " + pe.file_version;
    if (absent)
        run.add("dll", Verdict::error, topic,
                path + " 缺 " + std::to_string(absent) + " 个函数（" + missing + (absent > 5 ? "…" : "") + "）" + version,
                "公式调用这些函数时大智慧说找不到函数；换成发布包里的 TARVEX.dll");
    else
        run.add("dll", Verdict::ok, topic,
                "32 位 DLL，" + std::to_string(count) + " 个函数都在" + version);
}

// ---- TARVEX.ini ----

namespace {

// Every key of section "路径" the library reads.
std::vector<std::string> path_keys() {
    std::vector<std::string> keys;
    for (Root r : {Root::block, Root::selfdata, Root::day, Root::data, Root::inv}) keys.push_back(root_setting(r).key);
    for (const char* k : {"MT4_HST_PATH", "MT4_FILE_PATH", "GET"}) keys.push_back(k);
    keys.push_back(kTdxKey);
    return keys;
}

std::vector<std::string> known_sections() {
    return {kSectionPaths, kBlockNames.section, kSelfDataNames.section, kFileNames.section, kAccountNames.section,
            kSectionSafety};
}

// Decimal text as the library writes its keys: no leading zeros, "-" allowed.
bool is_decimal_key(const std::string& k) {
    size_t i = !k.empty() && k[0] == '-' ? 1 : 0;
    if (i >= k.size() || (k[i] == '0' && k.size() > i + 1) || (i == 1 && k == "-0")) return false;
    for (; i < k.size(); ++i)
        if (k[i] < '0' || k[i] > '9') return false;
    return true;
}

std::string line_text(int line) { return "第 " + std::to_string(line) + " 行"; }

}  // namespace

void check_ini(DoctorRun* run) {
    char inifn[kIniPathBytes];
    ini_path(inifn, sizeof inifn, kIniName);
    std::string bytes;
    const char* topic = "TARVEX.ini";
    if (!plat::file_exists(inifn)) {
        run->add("ini_file", Verdict::ok, topic, std::string(inifn) + " 不存在：每个路径和名字都取默认值",
                 "要改路径或名字时，把发布包里带注释的 TARVEX.ini 复制过来再编辑");
        return;
    }
    run->ini_present = true;
    if (!file_bytes(inifn, &bytes)) {
        run->add("ini_file", Verdict::error, topic, std::string(inifn) + " 读不出来：TARVEX 按默认值工作",
                 "看看文件是不是被别的程序锁住或没有读权限");
        return;
    }
    int line = 0;
    IniEncoding enc = ini_encoding(bytes, &line);
    std::string where = line_text(line);
    const char* save_as = "用记事本打开，另存为时编码选 ANSI（中文 Windows 上就是 GBK）";
    switch (enc) {
        case IniEncoding::gbk:
            run->add("ini_file", Verdict::ok, topic, std::string(inifn) + " 在，是 GBK 文本");
            break;
        case IniEncoding::utf8_bom:
        case IniEncoding::utf8:
            run->add("ini_file", Verdict::error, topic,
                     std::string(inifn) + " 是 UTF-8 文本" + (enc == IniEncoding::utf8_bom ? "（带 BOM）" : "（" + where + "）") +
                         "：TARVEX 按 GBK 读，[路径] 等中文段名对不上，里面的设置都不起作用",
                     save_as);
            return;
        case IniEncoding::utf16:
            run->add("ini_file", Verdict::error, topic,
                     std::string(inifn) + " 是 Unicode（UTF-16）文本：TARVEX 按 GBK 读，中文段名对不上", save_as);
            return;
        case IniEncoding::not_gbk:
            run->add("ini_file", Verdict::error, topic,
                     std::string(inifn) + " 的" + where + "有不是 GBK 的字节：这一行的段名、键或值 TARVEX 读出来不对",
                     save_as);
            return;
    }
    run->ini_readable = true;
    run->ini = list_ini(bytes);

    const std::vector<std::string> sections = known_sections(), keys = path_keys();
    size_t before = run->rows->size();
    for (const IniLine& s : run->ini.sections) {
        bool known = false;
        for (const std::string& k : sections) known = known || same_profile_name(s.section, k);
        if (!known)
            run->add("ini_keys", Verdict::warn, "TARVEX.ini [" + s.section + "]",
                     line_text(s.line) + "的段 [" + s.section + "] TARVEX 不读，段里的键都不起作用",
                     "最接近的段是 [" + nearest_name(s.section, sections) + "]；段名要一字不差");
    }
    for (int odd : run->ini.odd_lines)
        run->add("ini_keys", Verdict::warn, "TARVEX.ini " + line_text(odd),
                 line_text(odd) + "既不是 [段] 也不是 键=值，TARVEX 不理它", "改成 键=值，或在行首加 ; 作为注释");
    std::vector<const IniLine*> seen;
    for (const IniLine& e : run->ini.entries) {
        std::string at = "TARVEX.ini [" + e.section + "] " + e.key;
        if (e.section.empty()) {
            run->add("ini_keys", Verdict::warn, "TARVEX.ini " + e.key,
                     line_text(e.line) + "的键 " + e.key + " 在任何段之前，TARVEX 读不到它", "把它挪到它所属的段下面");
            continue;
        }
        const IniLine* first = run->entry(e.section.c_str(), e.key.c_str());
        if (first != &e) {
            run->add("ini_keys", Verdict::warn, at,
                     line_text(e.line) + "的键 " + e.key + " 在" + line_text(first->line) + "已经有了：TARVEX 只用第一个（" +
                         first->value + "）",
                     "删掉多余的一行");
            continue;
        }
        if (same_profile_name(e.section, kSectionPaths)) {
            bool known = false;
            for (const std::string& k : keys) known = known || same_profile_name(e.key, k);
            if (!known) {
                std::string near = nearest_name(e.key, keys);
                run->add("ini_keys", Verdict::warn, at,
                         line_text(e.line) + "的键 " + e.key + " TARVEX 不认识，不读它：它想设的路径仍取默认值",
                         "最接近的键是 " + near + "，要设它就写 " + near + "=" + e.value);
            }
        } else if (same_profile_name(e.section, kSectionSafety)) {
            if (!same_profile_name(e.key, kRehearsalKey))
                run->add("ini_keys", Verdict::warn, at,
                         line_text(e.line) + "的键 " + e.key + " TARVEX 不认识，不读它",
                         std::string("[") + kSectionSafety + "] 里只有一个键：" + kRehearsalKey);
        } else if (!same_profile_name(e.section, kBlockNames.section) && !is_decimal_key(e.key)) {
            bool known_section = false;
            for (const std::string& k : sections) known_section = known_section || same_profile_name(e.section, k);
            if (known_section)
                run->add("ini_keys", Verdict::warn, at,
                         line_text(e.line) + "的键 " + e.key + " 不是编号：TARVEX 在 [" + e.section +
                             "] 里按十进制编号查（如 7，不带前导 0），这一行用不上",
                         "键写成公式里用的编号");
        }
    }
    if (const IniLine* e = run->entry(kSectionSafety, kRehearsalKey)) {
        if (rehearsal_value_on(e->value.c_str()))
            run->add("rehearsal", Verdict::warn, std::string("TARVEX.ini [") + kSectionSafety + "] " + kRehearsalKey,
                     "演练模式开着：会操作其他程序的函数只记日志，不真做",
                     std::string("要真做时把 ") + kRehearsalKey + "= 改成 0（日志里以“演练:”开头的行是它们本会做的事）");
    }
    if (run->rows->size() == before)
        run->add("ini_keys", Verdict::ok, "TARVEX.ini 的段和键",
                 std::to_string(run->ini.sections.size()) + " 个段、" + std::to_string(run->ini.entries.size()) +
                     " 个键，TARVEX 都认识");
}

// ---- path settings ----

namespace {

struct RootCheck {
    const char* key;
    const char* what;     // what lies there
    const char* suffix;   // what the library appends before its file names
    bool write;           // whether the exports write there
};

// A path the user set is a feature set up: when it cannot work, that is an
// error. A default that cannot work is a note naming the exports it stops.
void check_one_path(const DoctorRun& run, const RootCheck& c, const std::string& value, size_t limit) {
    const IniLine* set = run.ini_readable ? run.entry(kSectionPaths, c.key) : nullptr;
    const Verdict broken = set ? Verdict::error : Verdict::warn;
    const std::string readers = readers_text(c.key);
    std::string topic = std::string(c.key) + "（" + c.what + "）";
    std::string id = std::string("path:") + c.key;
    // The value the profile reader gives without a read limit: when the
    // library's differs, its limit cut it.
    char inifn[kIniPathBytes];
    ini_path(inifn, sizeof inifn, kIniName);
    char full[2048];
    plat::profile_string(kSectionPaths, c.key, run.host_dir.c_str(), full, sizeof full, inifn);
    std::string used = value + c.suffix;
    std::string most = std::to_string(limit - 1) + " 个字节（汉字每个 2 字节）";
    if (value != full) {
        run.add(id, broken, topic,
                std::string(set ? "设的值 " : "默认值（主程序目录）") + full + " 有 " + std::to_string(std::strlen(full)) +
                    " 个字节，TARVEX 只读前 " + most + "：实际用的是 " + value,
                readers + " 会找错地方；在 TARVEX.ini 的 [路径] 里把 " + c.key + " 设成不超过 " + most +
                    "、能到同一目录的路径（例如用 subst 映射的盘符）");
        return;
    }
    if (set && value.empty()) {
        run.add(id, Verdict::error, topic,
                line_text(set->line) + "的值是空的：路径成了相对于大智慧工作目录的 " + used,
                readers + " 会找错地方；删掉这一行用默认值，或写上以 \\ 结尾的目录");
        return;
    }
    bool day = std::strcmp(c.key, "DAY_PATH") == 0;
    if (set && !day && !value.empty() && value.back() != '\\') {
        run.add(id, Verdict::error, topic,
                value + " 没有以 \\ 结尾：TARVEX 把名字直接接在后面，得到 " + used + "…",
                readers + " 会找错地方；在末尾加上 \\");
        return;
    }
    std::string dir = day && !value.empty() && value.back() != '\\' ? value + "\\" : used;
    std::string origin = set ? "设为 " + value : "未设置，取主程序目录";
    DirAccess a = dir_access(dir);
    if (a == DirAccess::missing || a == DirAccess::not_directory) {
        run.add(id, broken, topic,
                origin + "：" + dir + (a == DirAccess::missing ? " 不存在" : " 是个文件，不是目录"),
                readers + " 找不到" + (c.write ? "也写不进" : "") + "这个目录里的文件，用不了；建好这个目录" +
                    (set ? "，或把 " + std::string(c.key) + " 改成它真正的上一级目录" : ""));
    } else if (a == DirAccess::read_only && c.write) {
        run.add(id, broken, topic, origin + "：" + dir + " 在，但不能写",
                readers + " 写不进去；给这个目录写权限（或把大智慧装到不受保护的目录）");
    } else {
        run.add(id, Verdict::ok, topic,
                origin + "：" + dir + (c.write ? " 在，能读写" : " 在") + "（" + readers + "）");
    }
}

}  // namespace

void check_paths(const DoctorRun& run) {
    static const RootCheck kRoots[] = {
        {"BLOCK_PATH", "板块文件的根目录", "userdata\\block\\", true},
        {"PATH", "自定义数据的根目录", "userdata\\SelfData\\", true},
        {"DAY_PATH", "日线文件的目录", "", true},
        {"DATA_PATH", "编号数据文件的目录", "", false},
        {"INV_PATH", "投资账户文件的根目录", "USERDATA\\SELF\\", false},
    };
    const Root roots[] = {Root::block, Root::selfdata, Root::day, Root::data, Root::inv};
    for (int i = 0; i < 5; ++i) {
        char value[kPathBytes];
        root_path(roots[i], value, sizeof value);
        check_one_path(run, kRoots[i], value, root_setting(roots[i]).limit);
    }
    static const RootCheck kPrograms[] = {
        {"MT4_HST_PATH", "MT4 历史文件的目录", "", true},
        {"MT4_FILE_PATH", "MT4 窗口句柄文件的目录", "", false},
        {"GET", "Advanced GET 数据文件的目录", "", true},
    };
    for (const RootCheck& c : kPrograms) {
        char value[kPathBytes];
        path_setting(value, sizeof value, c.key);
        if (value[0] == '\0' && std::strcmp(c.key, "GET") == 0) {
            run.add("path:GET", Verdict::error, "GET（Advanced GET 数据文件的目录）",
                    "设成了空值：Save2Get 记日志 GET路径未设置 并返回 -1",
                    "删掉这一行（默认主程序目录），或写上 Advanced GET 的数据目录，以 \\ 结尾");
            continue;
        }
        check_one_path(run, c, value, kPathSettingLimit);
    }
}

// ---- the run and its text ----

bool DoctorReport::has_error() const {
    for (const DoctorRow& r : rows)
        if (r.verdict == Verdict::error) return true;
    return false;
}

bool DoctorReport::has_note() const {
    for (const DoctorRow& r : rows)
        if (r.verdict == Verdict::warn) return true;
    return false;
}

std::vector<const DoctorRow*> DoctorReport::with_id(const std::string& id) const {
    std::vector<const DoctorRow*> out;
    for (const DoctorRow& r : rows)
        if (r.id == id) out.push_back(&r);
    return out;
}

DoctorReport run_doctor(const std::string& host_dir) {
    DoctorReport report;
    report.host_dir = host_dir.empty() || host_dir.back() == '\\' ? host_dir : host_dir + "\\";
    char before[300];
    plat::executable_path(before, sizeof before);
    plat::view_host_executable(host_program_path(report.host_dir).c_str());
    DoctorRun run;
    char dir[kPathBytes];
    module_dir(dir, sizeof dir);
    run.host_dir = dir;
    run.rows = &report.rows;
    check_host_program(run);
    // Not the host's directory: its files would all be reported missing,
    // with advice to make them in the wrong place.
    bool host_tree = report.with_id("host_tree")[0]->verdict != Verdict::error;
    check_dll(run);
    check_ini(&run);
    if (host_tree) {
        check_paths(run);
        check_blocks(run);
        check_alert_file(run);
        check_stock_info(run);
        check_investment(run);
    }
    check_tdx(run);
    check_mt4_get(run);
    check_log(run);
    plat::view_host_executable(before);
    return report;
}

std::string doctor_text(const DoctorReport& report) {
    std::string out = "TARVEX 安装检查：" + report.host_dir + "\n";
    int counts[4] = {};
    for (const DoctorRow& r : report.rows) {
        ++counts[static_cast<int>(r.verdict)];
        out += std::string("[") + verdict_word(r.verdict) + "] " + r.topic + "：" + r.finding + "\n";
        if (!r.advice.empty()) out += "       → " + r.advice + "\n";
    }
    out += "共 " + std::to_string(report.rows.size()) + " 项：正常 " + std::to_string(counts[0]) + "，提示 " +
           std::to_string(counts[1]) + "，注意 " + std::to_string(counts[2]) + "，错误 " + std::to_string(counts[3]) +
           "。\n";
    if (report.has_error())
        out += "有“错误”：TARVEX 整个用不了，或你在 TARVEX.ini 里设好的功能用不了；请按“→”后的提示先改好它们。\n";
    else if (report.has_note())
        out += "TARVEX 能用。标“注意”的项只影响它点名的函数，用到那些函数前按“→”后的提示处理。\n";
    else
        out += "TARVEX 能用，没有发现问题。\n";
    return out;
}
