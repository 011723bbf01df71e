// The rehearsal switch and its log lines.
#include "common/rehearsal.h"

#include <cstdlib>
#include <string>

#include "common/log.h"
#include "common/paths.h"
#include "common/settings.h"
#include "platform/platform.h"

namespace {

const char* g_running_export = "";
bool g_was_on = false;
unsigned g_epoch = 0;

}  // namespace

bool rehearsing() {
    char value[kRehearsalLimit];
    setting_value(kSectionSafety, kRehearsalKey, "0", kRehearsalLimit, value, sizeof value);
    const bool on = rehearsal_value_on(value);
    if (on && !g_was_on) ++g_epoch;
    g_was_on = on;
    return on;
}

bool rehearsal_value_on(const char* value) { return std::atoi(value) != 0; }

unsigned rehearsal_epoch() { return g_epoch; }

void note_running_export(const char* name) { g_running_export = name ? name : ""; }

void log_rehearsal(std::initializer_list<const char*> texts) {
    std::string s = "演练: ";
    s += g_running_export;
    s += ' ';
    for (const char* t : texts)
        if (t) s += t;
    log_line(s.c_str());
}

bool holding_directory_exists(const char* path) {
    std::string dir(path);
    const size_t slash = dir.rfind('\\');
    dir.erase(slash == std::string::npos ? 0 : slash);
    plat::FileStamp seen;
    return plat::path_stamp(dir.c_str(), &seen);
}
