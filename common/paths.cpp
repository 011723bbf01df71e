// Path routines over module_dir and TARVEX.ini.
#include "common/paths.h"

#include <cstring>
#include <string>
#include <vector>

#include "common/file_name.h"
#include "common/log.h"
#include "common/rehearsal.h"
#include "common/settings.h"
#include "common/text.h"
#include "platform/platform.h"

namespace {

// Answers of the settings file as last looked up, with the stamp the file
// had just before (or none, when it was missing). The answer to a lookup
// depends on the file's content alone, so while the file keeps its stamp,
// or stays missing, each answer is given again from here: one look at the
// file (its stamp) for each path built instead of a read of it for each
// setting the path needs.
struct SettingAnswer {
    std::string section, key, fallback;
    size_t limit;
    std::string value;
};
struct SettingsSeen {
    std::string ini;
    bool present = false;
    plat::FileStamp stamp;
    std::vector<SettingAnswer> answers;
};
SettingsSeen g_settings;
// Lookups of numbered names take any number from a formula; the answers
// kept stay few.
const size_t kAnswersKept = 64;

// The settings file as one path routine looks at it: every lookup the
// routine makes answers from the version seen then.
struct SettingsLook {
    char inifn[kIniPathBytes];
};

SettingsLook look_at_settings() {
    SettingsLook look;
    ini_path(look.inifn, sizeof look.inifn, kIniName);
    plat::FileStamp now;
    bool present = plat::path_stamp(look.inifn, &now);
    if (g_settings.ini != look.inifn || g_settings.present != present || (present && !(g_settings.stamp == now)))
        g_settings = SettingsSeen{look.inifn, present, now, {}};
    return look;
}

// Reads `key` of `section` with `fallback` into out, cut to `limit` - 1
// characters (and to the buffer).
void read_setting(const SettingsLook& look, const char* section, const char* key, const char* fallback, size_t limit,
                  char* out, size_t cap) {
    char value[kNameBytes + 100];
    size_t n = limit < sizeof value ? limit : sizeof value;
    for (const SettingAnswer& a : g_settings.answers) {
        if (a.limit == n && a.section == section && a.key == key && a.fallback == fallback) {
            copy_text(out, cap, a.value.c_str());
            return;
        }
    }
    plat::profile_string(section, key, fallback, value, n, look.inifn);
    drop_dangling_lead_byte(value);  // cut inside a character by the read limit
    if (g_settings.answers.size() >= kAnswersKept) g_settings.answers.clear();
    g_settings.answers.push_back({section, key, fallback, n, value});
    copy_text(out, cap, value);
}

void read_root(const SettingsLook& look, Root root, char* out, size_t cap) {
    char dir[kPathBytes];
    module_dir(dir, sizeof dir);
    const RootSetting& s = root_setting(root);
    read_setting(look, kSectionPaths, s.key, dir, s.limit, out, cap);
}

// Name configured for the decimal key n of a name section, with the default
// built as prefix + n + suffix.
void numbered_name(const SettingsLook& look, const NameSetting& table, int n, const char* prefix, const char* suffix,
                   char* out, size_t cap) {
    char sxi[20] = "";
    append_int(sxi, sizeof sxi, n);
    char defn[kDefaultNameBytes] = "";
    append_text(defn, sizeof defn, prefix);
    append_text(defn, sizeof defn, sxi);
    append_text(defn, sizeof defn, suffix);
    read_setting(look, table.section, sxi, defn, table.limit, out, cap);
}

void finish_block_path(char* out, size_t cap, const char* name) {
    append_text(out, cap, "userdata\\block\\");
    append_text(out, cap, name);
    append_text(out, cap, ".BLK");
}

// Makes a missing data directory; a rehearsal only logs that it would.
plat::MakeDirResult make_data_directory(const char* dir) {
    plat::FileStamp seen;
    if (!rehearsing() || plat::path_stamp(dir, &seen)) return plat::make_directory(dir);
    if (!holding_directory_exists(dir)) return plat::MakeDirResult::missing_parent;
    log_rehearsal({"会建目录 ", dir});
    return plat::MakeDirResult::created;
}

bool selfdata_path(const SettingsLook& look, char* out, size_t cap, const char* name, const char* code,
                   int index_flag) {
    read_root(look, Root::selfdata, out, cap);
    append_text(out, cap, "userdata\\SelfData\\");
    append_text(out, cap, name);
    if (make_data_directory(out) == plat::MakeDirResult::missing_parent) {
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

void root_path(Root root, char* out, size_t cap) { read_root(look_at_settings(), root, out, cap); }

void ini_path(char* out, size_t cap, const char* name) {
    module_dir(out, cap);
    append_text(out, cap, name);
}

void path_setting(char* out, size_t cap, const char* key) {
    char dir[kPathBytes];
    module_dir(dir, sizeof dir);
    read_setting(look_at_settings(), kSectionPaths, key, dir, kPathSettingLimit, out, cap);
}

void setting_value(const char* section, const char* key, const char* fallback, size_t limit, char* out, size_t cap) {
    read_setting(look_at_settings(), section, key, fallback, limit, out, cap);
}

void tdx_dir(char* out, size_t cap) {
    read_setting(look_at_settings(), kSectionPaths, kTdxKey, "", kTdxDirLimit, out, cap);
}

void block_path_for_number(char* out, size_t cap, int n) {
    const SettingsLook look = look_at_settings();
    char datan[kNameBytes];
    numbered_name(look, kBlockNames, n, "自选股", "", datan, sizeof datan);
    read_root(look, Root::block, out, cap);
    finish_block_path(out, cap, datan);
}

void block_name_for_key(char* out, size_t cap, const char* key) {
    char defn[kDefaultNameBytes];
    copy_text(defn, sizeof defn, key);
    read_setting(look_at_settings(), kBlockNames.section, key, defn, kBlockNames.limit, out, cap);
}

void block_path_for_key(char* out, size_t cap, const char* key) {
    char datan[kNameBytes];
    block_name_for_key(datan, sizeof datan, key);
    read_root(look_at_settings(), Root::block, out, cap);
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
    const SettingsLook look = look_at_settings();
    char datan[kNameBytes];
    numbered_name(look, kSelfDataNames, n, "DATA", "", datan, sizeof datan);
    return selfdata_path(look, out, cap, datan, code, index_flag);
}

bool make_selfdata_fn(char* out, size_t cap, const char* name, const char* code, int index_flag) {
    return selfdata_path(look_at_settings(), out, cap, name, code, index_flag);
}

void day_path(char* out, size_t cap, const tagCALCINFO& ci) {
    read_root(look_at_settings(), Root::day, out, cap);
    append_text(out, cap, market_separator(ci.stock_label, ci.label_flag));
    append_text(out, cap, ci.stock_label);
    append_text(out, cap, ".DAY");
}

void data_file_path(char* out, size_t cap, int n) {
    const SettingsLook look = look_at_settings();
    read_root(look, Root::data, out, cap);
    char datan[kNameBytes];
    numbered_name(look, kFileNames, n, "", ".dat", datan, sizeof datan);
    if (std::strchr(datan, ':')) copy_text(out, cap, datan);
    else append_text(out, cap, datan);
}

void inv_path(char* out, size_t cap, int n) {
    const SettingsLook look = look_at_settings();
    char datan[kNameBytes];
    numbered_name(look, kAccountNames, n, "账户", ".inv", datan, sizeof datan);
    read_root(look, Root::inv, out, cap);
    append_text(out, cap, "USERDATA\\SELF\\");
    append_text(out, cap, datan);
}
