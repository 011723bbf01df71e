// harness doctor on scratch host trees: a sound installation passes with no
// warning, each broken case of the shared table turns its row, and the
// checks that need a file held open or a long host directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "platform/platform.h"
#include "platform/portable_testing.h"
#include "tests/doctor_tree.h"
#include "tests/native/support.h"
#include "tools/harness/lib/doctor.h"

namespace {

class DoctorTest : public HostTest {
protected:
    // Writes the tree into a fresh directory below the host tree.
    HostTree tree(const std::string& name) {
        make_dir(name);
        return sound_host_tree(win(name) + "\\");
    }
    void write(const HostTree& t, const std::string& name) {
        for (const std::string& d : t.dirs) make_dir(name + "/" + d);
        for (const auto& f : t.files) write_bytes(name + "/" + f.first, f.second);
        if (!t.ini.empty()) write_text(name + "/TARVEX.ini", t.ini);
    }
    // Every file below a directory with its content.
    std::map<std::string, std::string> contents(const std::string& name) {
        std::map<std::string, std::string> out;
        for (const auto& e : std::filesystem::recursive_directory_iterator(at(name))) {
            std::ifstream in(e.path(), std::ios::binary);
            out[e.path().string()] = e.is_directory() ? "<dir>" : std::string(std::istreambuf_iterator<char>(in), {});
        }
        return out;
    }
    static std::string rows_text(const DoctorReport& r) { return doctor_text(r); }
};

TEST_F(DoctorTest, SoundTreePassesAndChangesNothing) {
    HostTree t = tree("sound");
    write(t, "sound");
    auto before = contents("sound");
    DoctorReport r = run_doctor(t.dir);
    EXPECT_FALSE(r.has_error()) << rows_text(r);
    for (const DoctorRow& row : r.rows) EXPECT_TRUE(row.verdict == Verdict::ok || row.verdict == Verdict::hint) << row.id;
    EXPECT_EQ(contents("sound"), before);
    // The library's own executable path is given back.
    char exe[300];
    plat::executable_path(exe, sizeof exe);
    EXPECT_EQ(std::string(exe), win("dzh.exe"));
    // Every check has its row.
    for (const char* id : {"host_program", "host_tree", "dll", "ini_file", "ini_keys", "path:BLOCK_PATH", "path:PATH",
                           "path:DAY_PATH", "path:DATA_PATH", "path:INV_PATH", "path:MT4_HST_PATH",
                           "path:MT4_FILE_PATH", "path:GET", "blocks", "block_name", "alert", "stkinfo", "invest",
                           "tdx", "tdx_connect", "tdx_line", "mt4", "log"})
        EXPECT_FALSE(r.with_id(id).empty()) << id;
}

TEST_F(DoctorTest, EachBrokenCaseTurnsItsRow) {
    int n = 0;
    for (const DoctorCase& c : doctor_cases()) {
        std::string name = "c" + std::to_string(++n);
        HostTree t = tree(name);
        c.change(t);
        write(t, name);
        DoctorReport r = run_doctor(t.dir);
        EXPECT_EQ(doctor_case_mismatch(r, c), "") << c.name << "\n" << rows_text(r);
    }
}

TEST_F(DoctorTest, NoSettingsFileMeansDefaults) {
    HostTree t = tree("d");
    t.ini.clear();
    write(t, "d");
    DoctorReport r = run_doctor(t.dir);
    EXPECT_FALSE(r.has_error()) << rows_text(r);
    EXPECT_EQ(r.with_id("ini_file")[0]->verdict, Verdict::ok);
    EXPECT_EQ(r.with_id("tdx")[0]->verdict, Verdict::hint);
    EXPECT_EQ(r.with_id("path:GET")[0]->finding.find("未设置"), 0u);
}

TEST_F(DoctorTest, FilesHeldByAnotherProgram) {
    HostTree t = tree("h");
    t.put("TARVEX.log", std::string("\r\n"));
    write(t, "h");
    // The log held with reading shared only; the MT4 directory refusing new files.
    plat_testing::hold_open(win("h/TARVEX.log").c_str(), false);
    plat_testing::hold_open((win("h/mt4") + "\\" + doctor_probe_name()).c_str(), false);
    plat_testing::hold_open(win("h/userdata/block/自选股1.BLK").c_str(), false);
    DoctorReport r = run_doctor(t.dir);
    EXPECT_EQ(r.with_id("log")[0]->verdict, Verdict::warn);
    EXPECT_EQ(r.with_id("path:MT4_HST_PATH")[0]->verdict, Verdict::error);
    EXPECT_NE(r.with_id("path:MT4_HST_PATH")[0]->finding.find("不能写"), std::string::npos);
    // A block the writers cannot replace: a note with what the writers then do.
    bool block_refused = false;
    for (const DoctorRow* b : r.with_id("blocks"))
        block_refused |= b->verdict == Verdict::warn && b->advice.find("返回 -1") != std::string::npos;
    EXPECT_TRUE(block_refused) << rows_text(r);
}

TEST_F(DoctorTest, HostDirectoryLongerThanTheRootLimit) {
    std::string name = "a-directory-name-long-enough-to-pass-39";
    HostTree t = tree(name);
    write(t, name);
    DoctorReport r = run_doctor(t.dir);
    ASSERT_GT(t.dir.size(), 39u);
    // Defaults cut short are notes naming the exports they stop; only the
    // account file the user set up, now looked for in the wrong place, is an error.
    for (const DoctorRow& row : r.rows) {
        if (row.verdict == Verdict::error) EXPECT_EQ(row.id, "invest") << row.finding;
    }
    for (const char* id : {"path:BLOCK_PATH", "path:PATH", "path:DAY_PATH", "path:DATA_PATH", "path:INV_PATH"}) {
        EXPECT_EQ(r.with_id(id)[0]->verdict, Verdict::warn) << id;
        const std::string& f = r.with_id(id)[0]->finding;
        EXPECT_NE(f.find("默认值"), std::string::npos) << id;
        EXPECT_NE(f.find(" 有 " + std::to_string(t.dir.size()) + " 个字节"), std::string::npos) << f;
    }
    // The 80-character settings still reach it.
    EXPECT_EQ(r.with_id("path:GET")[0]->verdict, Verdict::ok);
}

TEST_F(DoctorTest, PointedAtASubdirectoryNamesTheHostDirectory) {
    HostTree t = tree("sub");
    write(t, "sub");
    DoctorReport r = run_doctor(t.dir + "userdata\\");
    ASSERT_EQ(r.with_id("host_tree").size(), 1u);
    EXPECT_EQ(r.with_id("host_tree")[0]->verdict, Verdict::error);
    EXPECT_NE(r.with_id("host_tree")[0]->advice.find("上一级 " + t.dir), std::string::npos) << rows_text(r);
    // No advice to make the host's files below the wrong directory.
    EXPECT_EQ(rows_text(r).find("userdata\\userdata"), std::string::npos) << rows_text(r);
}

struct EncodingCase {
    const char* bytes;
    IniEncoding encoding;
    int line;
};

TEST(DoctorIni, Encodings) {
    const EncodingCase cases[] = {
        {"[\xC2\xB7\xBE\xB6]\r\nGET=C:\\\r\n", IniEncoding::gbk, 1},        // 路径 in GBK
        {"; x\r\n[\xE8\xB7\xAF\xE5\xBE\x84]\r\n", IniEncoding::utf8, 2},    // 路径 in UTF-8
        {"\xEF\xBB\xBF[x]\r\n", IniEncoding::utf8_bom, 1},
        {"\xFF\xFE[\0x\0]\0", IniEncoding::utf16, 1},
        {"a=1\r\nb=\x80\r\n", IniEncoding::not_gbk, 2},
        {"a=\xC2", IniEncoding::not_gbk, 1},   // a lead byte at the end
        {"plain ASCII\r\n", IniEncoding::gbk, 1},
    };
    for (const EncodingCase& c : cases) {
        int line = 0;
        EXPECT_EQ(ini_encoding(c.bytes, &line), c.encoding) << c.bytes;
        EXPECT_EQ(line, c.line) << c.bytes;
    }
}

TEST(DoctorIni, ListingFollowsTheProfileReader) {
    IniListing l = list_ini("; note\r\n  [ 路径 ]  \r\n BLOCK_PATH = D:\\x\\ \r\nnot a key\r\nGET=\r\n[板块名]\r\n1=强势股");
    ASSERT_EQ(l.sections.size(), 2u);
    EXPECT_EQ(l.sections[0].section, "路径");
    EXPECT_EQ(l.sections[0].line, 2);
    ASSERT_EQ(l.entries.size(), 3u);
    EXPECT_EQ(l.entries[0].key, "BLOCK_PATH");
    EXPECT_EQ(l.entries[0].value, "D:\\x\\");
    EXPECT_EQ(l.entries[1].value, "");
    EXPECT_EQ(l.entries[2].section, "板块名");
    EXPECT_EQ(l.entries[2].line, 7);
    EXPECT_EQ(l.odd_lines, std::vector<int>{4});
}

TEST(DoctorIni, NearestName) {
    const std::vector<std::string> keys = {"BLOCK_PATH", "PATH", "DAY_PATH", "DATA_PATH", "GET", "通达信"};
    EXPECT_EQ(nearest_name("block_path", keys), "BLOCK_PATH");  // letter case does not count
    EXPECT_EQ(nearest_name("DAYPATH", keys), "DAY_PATH");
    EXPECT_EQ(nearest_name("DATE_PATH", keys), "DATA_PATH");
    EXPECT_EQ(nearest_name("通达", keys), "通达信");  // a Chinese character is one step
    EXPECT_EQ(nearest_name("GTE", keys), "GET");
}

}  // namespace
