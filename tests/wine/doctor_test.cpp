// harness doctor under Wine, with the Win32 platform: the shared table of
// broken host trees, each written below the scratch host directory, turns
// its row; the sound tree passes and is left exactly as it was.
#include <windows.h>

#include <map>

#include "platform/platform.h"
#include "tests/doctor_tree.h"
#include "tests/wine/wine_check.h"
#include "tools/harness/lib/doctor.h"

namespace {

std::string backslashes(std::string s) {
    for (char& c : s)
        if (c == '/') c = '\\';
    return s;
}

// Short names keep the host directory within the 39 characters of the roots.
HostTree written_tree(const std::string& name, const std::function<void(HostTree&)>& change) {
    make_dirs(name);
    HostTree t = sound_host_tree(host_dir() + name + "\\");
    if (change) change(t);
    for (const std::string& d : t.dirs) make_dirs(name + "\\" + backslashes(d));
    for (const auto& f : t.files) write_bytes(name + "\\" + backslashes(f.first), f.second);
    if (!t.ini.empty()) write_text(name + "\\TARVEX.ini", t.ini);
    return t;
}

void list_tree(const std::string& dir, std::map<std::string, std::string>* out) {
    walk_tree(dir, [out](const std::string& path, bool is_dir) {
        Bytes b = is_dir ? Bytes() : read_bytes(path.substr(host_dir().size()));
        (*out)[path] = is_dir ? "<dir>" : std::string(b.begin(), b.end());
        return true;
    });
}

}  // namespace

WINE_TEST(doctor_passes_a_sound_tree_and_changes_nothing) {
    HostTree t = written_tree("ds", nullptr);
    std::map<std::string, std::string> before, after;
    list_tree(t.dir, &before);
    DoctorReport r = run_doctor(t.dir);
    list_tree(t.dir, &after);
    CHECK(!r.has_error());
    for (const DoctorRow& row : r.rows)
        if (row.verdict != Verdict::ok && row.verdict != Verdict::hint) CHECK_EQ(row.id, std::string("(none)"));
    CHECK(before == after);
    CHECK_EQ(before.size(), after.size());
    // The library's routines see the suite's own program again.
    char exe[MAX_PATH];
    plat::executable_path(exe, sizeof exe);
    CHECK_EQ(std::string(exe), host_path("wine_tests.exe"));
}

WINE_TEST(doctor_finds_each_broken_case) {
    int n = 0;
    for (const DoctorCase& c : doctor_cases()) {
        HostTree t = written_tree("d" + std::to_string(++n), c.change);
        DoctorReport r = run_doctor(t.dir);
        std::string wrong = doctor_case_mismatch(r, c);
        if (!wrong.empty()) CHECK_EQ(std::string(c.name) + ": " + wrong, std::string(c.name) + ": ");
    }
}
