// The Win32 platform layer under Windows rules: module_dir from the real
// executable path, TARVEX.ini through GetPrivateProfileStringA (the native
// build's own reader must give the same answers), directories, file
// replacement and the log's CR LF lines. These call the core directly.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "common/log.h"
#include "common/paths.h"
#include "platform/platform.h"
#include "tests/wine/wine_check.h"

WINE_TEST(platform_module_dir_is_the_program_directory) {
    char out[300];
    module_dir(out, sizeof out);
    CHECK_EQ(std::string(out), host_dir());
    char exe[300];
    plat::executable_path(exe, sizeof exe);
    CHECK_EQ(std::string(exe), host_dir() + "wine_tests.exe");
}

WINE_TEST(platform_profile_strings_follow_the_windows_rules) {
    write_text("TARVEX.ini",
               "; comment\r\n[路径]\r\nblock_path =  E:\\data\\  \r\nDATA_PATH=\"F:\\q\\\"\r\n"
               "INV_PATH=E:\\" + std::string(37, 'r') + "\\\r\n[板块名]\r\n5=我的板块\r\n");
    char out[300];
    block_path_for_number(out, sizeof out, 5);
    CHECK_EQ(std::string(out), std::string("E:\\data\\userdata\\block\\我的板块.BLK"));
    data_file_path(out, sizeof out, 7);
    CHECK_EQ(std::string(out), std::string("F:\\q\\7.dat"));
    inv_path(out, sizeof out, 1);
    CHECK_EQ(std::string(out), "E:\\" + std::string(36, 'r') + "USERDATA\\SELF\\账户1.inv");
    block_path_for_number(out, sizeof out, 6);  // section present, key missing
    CHECK_EQ(std::string(out), std::string("E:\\data\\userdata\\block\\自选股6.BLK"));
    remove_file("TARVEX.ini");
    block_path_for_number(out, sizeof out, 1);
    CHECK_EQ(std::string(out), host_dir() + "userdata\\block\\自选股1.BLK");
}

WINE_TEST(platform_directories_and_replacement) {
    CHECK(plat::make_directory(host_path("pt_dir").c_str()) == plat::MakeDirResult::created);
    CHECK(plat::make_directory(host_path("pt_dir").c_str()) == plat::MakeDirResult::already_exists);
    CHECK(plat::make_directory(host_path("pt_missing\\child").c_str()) == plat::MakeDirResult::missing_parent);
    write_text("pt_dir\\a", "old");
    write_text("pt_dir\\b", "new");
    CHECK(plat::replace_file(host_path("pt_dir\\b").c_str(), host_path("pt_dir\\a").c_str()) ==
          plat::ReplaceResult::replaced);
    CHECK_EQ(read_bytes("pt_dir\\a"), Bytes({'n', 'e', 'w'}));
    CHECK(!file_exists("pt_dir\\b"));

    // Held open by another handle, even one that shares everything: "in use".
    write_text("pt_dir\\b", "newer");
    HANDLE held = CreateFileA(host_path("pt_dir\\a").c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    CHECK(plat::replace_file(host_path("pt_dir\\b").c_str(), host_path("pt_dir\\a").c_str()) ==
          plat::ReplaceResult::in_use);
    CloseHandle(held);
    std::vector<std::string> both = plat::files_named_like(host_path("pt_dir\\").c_str());
    std::sort(both.begin(), both.end());
    CHECK(both == std::vector<std::string>({"a", "b"}));
    CHECK(plat::files_named_like(host_path("pt_dir\\b").c_str()) == std::vector<std::string>({"b"}));

    // In place: seek, cut at the position, flush to the disk.
    plat::File* f = plat::open_file(host_path("pt_dir\\b").c_str(), "r+b");
    CHECK(f && plat::seek_file(f, 2) && plat::write_file(f, "W", 1) && plat::set_file_end(f) && plat::flush_file(f));
    if (f) plat::close_file(f);
    CHECK_EQ(read_bytes("pt_dir\\b"), Bytes({'n', 'e', 'W'}));

    // Stamps: one file through two handles alike; another file, or the same
    // file rewritten, not.
    auto stamp = [](const char* rel) {
        plat::FileStamp s;
        plat::File* g = plat::open_file(host_path(rel).c_str(), "rb");
        CHECK(g && plat::file_stamp(g, &s));
        if (g) plat::close_file(g);
        return s;
    };
    const plat::FileStamp a = stamp("pt_dir\\a"), b = stamp("pt_dir\\b");
    CHECK(a == stamp("pt_dir\\a"));
    CHECK(!(a == b));
    CHECK(b.size == 3 && b.file != 0);
    Sleep(20);
    write_text("pt_dir\\b", "neX");
    CHECK(!(b == stamp("pt_dir\\b")));
}

WINE_TEST(platform_log_lines_end_in_crlf_with_a_local_stamp) {
    log_line_str2("m", "a", "b");
    log_line_time("t", 0);
    std::string text = log_text();
    // "\r\nyy-mm-dd hh:mm:ss -> m a b" then "\r\nyy-mm-dd hh:mm:ss ->t1970-01-01 08:00:00"
    CHECK_EQ(text.size(), size_t((2 + 17 + 9) + (2 + 17 + 4 + 19)));
    CHECK_EQ(text.substr(0, 2), std::string("\r\n"));
    CHECK_EQ(text.substr(19, 9), std::string(" -> m a b"));
    CHECK_EQ(text.substr(text.size() - 22), std::string("->t1970-01-01 08:00:00"));
}
