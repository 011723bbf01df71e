// Test support implementation.
#include "tests/native/support.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/portable_testing.h"
#include "platform/windows_testing.h"

void HostTest::SetUp() {
    setenv("TZ", "CST-8", 1);
    tzset();
    char tmpl[] = "/tmp/tarvex-test-XXXXXX";
    std::string base = mkdtemp(tmpl);
    root_ = base + "/host";
    make_dir("");
    make_dir("userdata");
    make_dir("userdata/block");
    make_dir("userdata/self");
    make_dir("userdata/SelfData");
    std::string exe = root_ + "/dzh.exe";
    for (char& c : exe)
        if (c == '/') c = '\\';
    plat_testing::set_executable_path(exe.c_str());
    plat_testing::reset_faults();
    plat_testing::set_now(-1);
    // The order of flushes and replaces is checked; waiting for the disk is not.
    plat_testing::set_disk_sync(false);
    char cwd[4096];
    old_cwd_ = getcwd(cwd, sizeof cwd) ? cwd : "/";
    ASSERT_EQ(chdir(root_.c_str()), 0);
}

void HostTest::TearDown() {
    // Whatever a test did, a rewrite leaves no side file behind: each one is
    // moved into place, removed on failure, or cleared by the next write.
    std::error_code ec;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root_, ec))
        EXPECT_EQ(e.path().filename().string().find(".tarvex-new"), std::string::npos) << e.path();
    plat_testing::reset_faults();
    plat_testing::set_now(-1);
    plat_testing::set_executable_path("");
    if (chdir(old_cwd_.c_str()) != 0) return;
    std::string base = root_.substr(0, root_.rfind('/'));
    if (base.rfind("/tmp/tarvex-test-", 0) == 0) {
        std::string cmd = "rm -rf '" + base + "'";
        if (std::system(cmd.c_str()) != 0) return;
    }
}

std::string HostTest::at(const std::string& rel) const { return rel.empty() ? root_ : root_ + "/" + rel; }

std::string HostTest::win(const std::string& rel) const {
    std::string s = at(rel);
    for (char& c : s)
        if (c == '/') c = '\\';
    return s;
}

std::string HostTest::module_dir_text() const { return win("") + "\\"; }

void HostTest::write_text(const std::string& rel, const std::string& text) const {
    std::ofstream(at(rel), std::ios::binary) << text;
}

void HostTest::write_bytes(const std::string& rel, const Bytes& bytes) const {
    std::ofstream out(at(rel), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes HostTest::read_bytes(const std::string& rel) const {
    std::ifstream in(at(rel), std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool HostTest::exists(const std::string& rel) const { return access(at(rel).c_str(), F_OK) == 0; }

void HostTest::make_dir(const std::string& rel) const { mkdir(at(rel).c_str(), 0777); }

std::string HostTest::log_text() const {
    Bytes b = read_bytes("TARVEX.log");
    return std::string(b.begin(), b.end());
}

int64_t local_seconds(int year, int month, int day, int hour, int minute, int second) {
    struct tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = 0;
    return static_cast<int64_t>(mktime(&tm));
}

// Every export the tests call is reached through a wrapper (the native build
// links the tests with --wrap for each export of the list): after the call
// the platform layer holds no open file, no process handle and no block in
// another process. A call made inside another export (the alarm bridge
// filing through savedata0) must leave nothing more than it found.
namespace {

int g_export_depth = 0;

struct Held {
    int files, processes, blocks;
    static Held now() {
        return {plat_testing::open_files(), plat_windows_testing::open_processes(),
                plat_windows_testing::allocated_remote_blocks()};
    }
};

struct ReleaseCheck {
    const char* function;
    Held before;
    explicit ReleaseCheck(const char* fn) : function(fn), before(g_export_depth++ ? Held::now() : Held{0, 0, 0}) {}
    ~ReleaseCheck() {
        --g_export_depth;
        Held after = Held::now();
        if (after.files > before.files || after.processes > before.processes || after.blocks > before.blocks)
            ADD_FAILURE() << function << " left behind " << after.files - before.files << " open files, "
                          << after.processes - before.processes << " process handles and "
                          << after.blocks - before.blocks << " blocks in other processes";
    }
};

}  // namespace

#define TARVEX_EXPORT(fn, sym, bytes, built) TARVEX_WRAP_BUILT_##built(fn, bytes)
#define TARVEX_WRAP_BUILT_0(fn, bytes)
#define TARVEX_WRAP_BUILT_1(fn, bytes) TARVEX_WRAP_ARGS_##bytes(fn)
#define TARVEX_WRAP_ARGS_4(fn)                                     \
    extern "C" int __real_##fn(tagCALCINFO* ci);                   \
    extern "C" int __wrap_##fn(tagCALCINFO* ci) {                  \
        ReleaseCheck check(#fn);                                   \
        return __real_##fn(ci);                                    \
    }
#define TARVEX_WRAP_ARGS_16(fn)                                                 \
    extern "C" int __real_##fn(char* name, long time, char* code, float value); \
    extern "C" int __wrap_##fn(char* name, long time, char* code, float value) { \
        ReleaseCheck check(#fn);                                                \
        return __real_##fn(name, time, code, value);                            \
    }
#include "host/export_list.h"
#undef TARVEX_EXPORT
