// The settings table.
#include "common/settings.h"

namespace {
const RootSetting kRoots[] = {
    {"BLOCK_PATH", 40}, {"PATH", 40}, {"DAY_PATH", 40}, {"DATA_PATH", 40}, {"INV_PATH", 40},
};
}  // namespace

const RootSetting& root_setting(Root root) { return kRoots[static_cast<int>(root)]; }

const NameSetting kBlockNames = {"板块名", 40};
const NameSetting kSelfDataNames = {"自定义数据名", 40};
const NameSetting kFileNames = {"文件名", 40};
const NameSetting kAccountNames = {"投资账户", 60};

const char kSectionPaths[] = "路径";
const char kIniName[] = "TARVEX.ini";
const char kTdxKey[] = "通达信";
const char kSectionSafety[] = "安全";
const char kRehearsalKey[] = "演练";
