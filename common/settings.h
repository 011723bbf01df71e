// TARVEX.ini: every section and key the library reads, with its default and
// read limit, declared once. The file lies in module_dir and is only read; a
// missing file, section or key gives the default, and a value is cut to its
// read limit minus one character.
#pragma once

#include <cstddef>

// Directory roots of section "路径". Each is used as a text prefix: names are
// appended directly, so a configured root must end with a backslash.
enum class Root {
    block,     // BLOCK_PATH: above "userdata\block\"
    selfdata,  // PATH: above "userdata\SelfData\"
    day,       // DAY_PATH: day files
    data,      // DATA_PATH: numbered data files
    inv,       // INV_PATH: above "USERDATA\SELF\"
};

struct RootSetting {
    const char* key;
    size_t limit;
};
const RootSetting& root_setting(Root root);

// Name tables: sections keyed by a decimal number (or a block key).
struct NameSetting {
    const char* section;
    size_t limit;
};
extern const NameSetting kBlockNames;     // "板块名": default "自选股"n, or the key itself
extern const NameSetting kSelfDataNames;  // "自定义数据名": default "DATA"n
extern const NameSetting kFileNames;      // "文件名": default n".dat"
extern const NameSetting kAccountNames;   // "投资账户": default "账户"n".inv"

extern const char kSectionPaths[];  // "路径"
extern const char kIniName[];       // "TARVEX.ini"
extern const char kTdxKey[];        // "通达信": TDX installation directory, default empty
constexpr size_t kTdxDirLimit = 200;
constexpr size_t kPathSettingLimit = 80;  // MT4_HST_PATH, MT4_FILE_PATH, GET
extern const char kSectionSafety[];  // "安全"
extern const char kRehearsalKey[];   // "演练": a non-zero number turns the rehearsal on, default "0"
constexpr size_t kRehearsalLimit = 20;

// Buffer sizes of the path routines' callers, fixed by the host's formats.
constexpr size_t kPathBytes = 300;     // fn, CurrentPath
constexpr size_t kIniPathBytes = 200;  // inifn
constexpr size_t kNameBytes = 200;     // datan
constexpr size_t kDefaultNameBytes = 30;  // defn
