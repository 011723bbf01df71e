// Path routines over module_dir and TARVEX.ini.
#include "common/paths.h"

#include <cstring>

#include "common/log.h"
#include "common/settings.h"
#include "common/text.h"
#include "platform/platform.h"

namespace {

// Reads `key` of `section` with `fallback` into out, cut to `limit` - 1
// characters (and to the buffer).
void read_setting(const char* section, const char* key, const char* fallback, size_t limit, char* out,
                  size_t cap) {
    char inifn[kIniPathBytes];
    ini_path(inifn, sizeof inifn, kIniName);
    char value[kNameBytes + 100];
    size_t n = limit < sizeof value ? limit : sizeof value;
    plat::profile_string(section, key, fallback, value, n, inifn);
    copy_text(out, cap, value);
}

// Name configured for the decimal key n of a name section, with the default
// built as prefix + n + suffix.
void numbered_name(const NameSetting& table, int n, const char* prefix, const char* suffix, char* out,
                   size_t cap) {
    char sxi[20] = "";
    append_int(sxi, sizeof sxi, n);
    char defn[kDefaultNameBytes] = "";
    append_text(defn, sizeof defn, prefix);
    append_text(defn, sizeof defn, sxi);
    append_text(defn, sizeof defn, suffix);
    read_setting(table.section, sxi, defn, table.limit, out, cap);
}

void finish_block_path(char* out, size_t cap, const char* name) {
    append_text(out, cap, "userdata\\block\\");
    append_text(out, cap, name);
    append_text(out, cap, ".BLK");
}

bool selfdata_path(char* out, size_t cap, const char* name, const char* code, int index_flag) {
    root_path(Root::selfdata, out, cap);
    append_text(out, cap, "userdata\\SelfData\\");
    append_text(out, cap, name);
    if (plat::make_directory(out) == plat::MakeDirResult::missing_parent) {
        log_line_str("make_selfdata_fn 建目录路径错误", out);
        return false;
    }
    append_text(out, cap, market_separator(code, index_flag));
    append_text(out, cap, code);
    append_text(out, cap, ".dat");
    return true;
}

}  // namespace

void module_dir(char* out, size_t cap) {
    char path[261];
    plat::executable_path(path, sizeof path);
    char* slash = std::strrchr(path, '\\');
    if (slash) slash[1] = '\0';
    else path[0] = '\0';
    copy_text(out, cap, path);
}

void root_path(Root root, char* out, size_t cap) {
    char dir[kPathBytes];
    module_dir(dir, sizeof dir);
    const RootSetting& s = root_setting(root);
    read_setting(kSectionPaths, s.key, dir, s.limit, out, cap);
}

void ini_path(char* out, size_t cap, const char* name) {
    module_dir(out, cap);
    append_text(out, cap, name);
}

void path_setting(char* out, size_t cap, const char* key) {
    char dir[kPathBytes];
    module_dir(dir, sizeof dir);
    read_setting(kSectionPaths, key, dir, kPathSettingLimit, out, cap);
}

void tdx_dir(char* out, size_t cap) { read_setting(kSectionPaths, kTdxKey, "", kTdxDirLimit, out, cap); }

void block_path_for_number(char* out, size_t cap, int n) {
    char datan[kNameBytes];
    numbered_name(kBlockNames, n, "自选股", "", datan, sizeof datan);
    root_path(Root::block, out, cap);
    finish_block_path(out, cap, datan);
}

void block_name_for_key(char* out, size_t cap, const char* key) {
    char defn[kDefaultNameBytes];
    copy_text(defn, sizeof defn, key);
    read_setting(kBlockNames.section, key, defn, kBlockNames.limit, out, cap);
}

void block_path_for_key(char* out, size_t cap, const char* key) {
    char datan[kNameBytes];
    block_name_for_key(datan, sizeof datan, key);
    root_path(Root::block, out, cap);
    finish_block_path(out, cap, datan);
}

void block_path_for_name(char* out, size_t cap, const char* name) {
    module_dir(out, cap);
    finish_block_path(out, cap, name);
}

const char* market_separator(const char* code, int index_flag) {
    signed char first = static_cast<signed char>(code[0]);
    if (first >= 'A' && first <= 'z') return "\\";
    if (index_flag) {
        if (first >= '9') return "\\B$";
        return compare_signed(code, "399001") < 0 ? "\\SH" : "\\SZ";
    }
    if (std::strlen(code) < 6) return "\\HK";
    if (first >= '9') return "\\B$";
    return compare_signed(code, "600000") < 0 ? "\\SZ" : "\\SH";
}

bool make_selfdata_fn(char* out, size_t cap, int n, const char* code, int index_flag) {
    char datan[kNameBytes];
    numbered_name(kSelfDataNames, n, "DATA", "", datan, sizeof datan);
    return selfdata_path(out, cap, datan, code, index_flag);
}

bool make_selfdata_fn(char* out, size_t cap, const char* name, const char* code, int index_flag) {
    return selfdata_path(out, cap, name, code, index_flag);
}

void day_path(char* out, size_t cap, const tagCALCINFO& ci) {
    root_path(Root::day, out, cap);
    append_text(out, cap, market_separator(ci.stock_label, ci.label_flag));
    append_text(out, cap, ci.stock_label);
    append_text(out, cap, ".DAY");
}

void data_file_path(char* out, size_t cap, int n) {
    root_path(Root::data, out, cap);
    char datan[kNameBytes];
    numbered_name(kFileNames, n, "", ".dat", datan, sizeof datan);
    if (std::strchr(datan, ':')) copy_text(out, cap, datan);
    else append_text(out, cap, datan);
}

void inv_path(char* out, size_t cap, int n) {
    char datan[kNameBytes];
    numbered_name(kAccountNames, n, "账户", ".inv", datan, sizeof datan);
    root_path(Root::inv, out, cap);
    append_text(out, cap, "USERDATA\\SELF\\");
    append_text(out, cap, datan);
}
