// The harness's portable pieces: the PE reader behind the DLL check, the CSV
// bars, and the documentation that follows the export list.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "host/export_table.h"
#include "tools/harness/lib/bars_input.h"
#include "tools/harness/lib/dll_kind.h"
#include "tools/harness/lib/pe_image.h"
#include "tools/harness/lib/windows_imports.h"

namespace {

void put16(std::vector<unsigned char>& b, size_t off, unsigned v) {
    b[off] = v & 0xFF;
    b[off + 1] = (v >> 8) & 0xFF;
}
void put32(std::vector<unsigned char>& b, size_t off, unsigned v) {
    put16(b, off, v & 0xFFFF);
    put16(b, off + 2, v >> 16);
}
void puts_at(std::vector<unsigned char>& b, size_t off, const std::string& s) {
    for (size_t i = 0; i < s.size(); ++i) b[off + i] = static_cast<unsigned char>(s[i]);
}

// A minimal PE32 DLL image: one section at RVA 0x1000 (file offset 0x200)
// holding an export directory with two names and one import descriptor.
std::vector<unsigned char> tiny_dll() {
    std::vector<unsigned char> b(0x400, 0);
    b[0] = 'M';
    b[1] = 'Z';
    put32(b, 0x3C, 0x40);
    puts_at(b, 0x40, std::string("PE\0\0", 4));
    const size_t coff = 0x44, opt = coff + 20, sect = opt + 224;
    put16(b, coff, 0x14C);
    put16(b, coff + 2, 1);
    put16(b, coff + 16, 224);
    put16(b, coff + 18, 0x2102);
    put16(b, opt, 0x10B);
    put32(b, opt + 96, 0x1000);   // export directory
    put32(b, opt + 104, 0x1100);  // import descriptors
    put32(b, sect + 8, 0x200);    // virtual size
    put32(b, sect + 12, 0x1000);  // virtual address
    put32(b, sect + 16, 0x200);   // raw size
    put32(b, sect + 20, 0x200);   // raw offset
    const size_t base = 0x200;    // file offset of RVA 0x1000
    put32(b, base + 24, 2);       // number of names
    put32(b, base + 32, 0x1040);  // name pointer table
    put32(b, base + 0x40, 0x1060);
    put32(b, base + 0x44, 0x1070);
    puts_at(b, base + 0x60, "_systime@4");
    puts_at(b, base + 0x70, "?savedata0@@YGHPADJ0M@Z");
    put32(b, base + 0x100 + 12, 0x1180);  // first descriptor's name; the second is all zero
    puts_at(b, base + 0x180, "KERNEL32.dll");
    put32(b, base + 0x100, 0x11A0);       // its lookup table: a name, an ordinal, the end
    put32(b, base + 0x1A0, 0x11C0);
    put32(b, base + 0x1A4, 0x80000007);
    puts_at(b, base + 0x1C2, "WinExec");  // after the 2-byte hint
    return b;
}

// A version resource block: length, value length, type, UTF-16 key, value,
// children, each start on a 4-byte boundary.
std::vector<unsigned char> version_block(const std::string& key, const std::vector<unsigned char>& value,
                                         bool text, const std::vector<std::vector<unsigned char>>& children) {
    std::vector<unsigned char> b(6);
    for (char c : key) b.push_back(static_cast<unsigned char>(c)), b.push_back(0);
    b.resize(b.size() + 2);
    b.resize((b.size() + 3) & ~3u);
    b.insert(b.end(), value.begin(), value.end());
    for (const auto& child : children) {
        b.resize((b.size() + 3) & ~3u);
        b.insert(b.end(), child.begin(), child.end());
    }
    put16(b, 0, static_cast<unsigned>(b.size()));
    put16(b, 2, static_cast<unsigned>(text ? value.size() / 2 : value.size()));
    put16(b, 4, text ? 1 : 0);
    return b;
}

// tiny_dll() with a version resource at RVA 0x1200: version 1.2.3.4, a
// Chinese description (UTF-16 大智慧) and a product name.
std::vector<unsigned char> versioned_dll() {
    std::vector<unsigned char> b = tiny_dll();
    b.resize(0x600);
    put32(b, 0x44 + 20 + 112, 0x1200);        // resource directory
    put32(b, 0x44 + 20 + 224 + 8, 0x400);     // section sizes
    put32(b, 0x44 + 20 + 224 + 16, 0x400);
    const size_t res = 0x400;                 // file offset of RVA 0x1200
    put16(b, res + 14, 1);                    // type directory: RT_VERSION
    put32(b, res + 16, 16);
    put32(b, res + 20, 0x80000018);
    put16(b, res + 0x18 + 14, 1);             // name directory
    put32(b, res + 0x18 + 16, 1);
    put32(b, res + 0x18 + 20, 0x80000030);
    put16(b, res + 0x30 + 14, 1);             // language directory
    put32(b, res + 0x30 + 16, 0x804);
    put32(b, res + 0x30 + 20, 0x48);
    std::vector<unsigned char> fixed(52, 0);
    put32(fixed, 0, 0xFEEF04BD);
    put32(fixed, 8, 0x00010002);
    put32(fixed, 12, 0x00030004);
    std::vector<unsigned char> description = {0x27, 0x59, 0x7A, 0x66, 0x67, 0x61, 0, 0};
    std::vector<unsigned char> product = {'T', 0, 'X', 0, 0, 0};
    auto info = version_block(
        "VS_VERSION_INFO", fixed, false,
        {version_block("StringFileInfo", {}, true,
                       {version_block("080404b0", {}, true,
                                      {version_block("FileDescription", description, true, {}),
                                       version_block("ProductName", product, true, {})})})});
    put32(b, res + 0x48, 0x1260);             // data entry
    put32(b, res + 0x4C, static_cast<unsigned>(info.size()));
    for (size_t i = 0; i < info.size(); ++i) b[res + 0x60 + i] = info[i];
    return b;
}

}  // namespace

TEST(PeImage, ReadsTheVersionResourceAndSurvivesADamagedOne) {
    PeImage pe;
    std::string error;
    ASSERT_TRUE(read_pe_image(versioned_dll(), &pe, &error)) << error;
    EXPECT_EQ(pe.file_version, "1.2.3.4");
    using Texts = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(pe.version_texts, (Texts{{"FileDescription", u8"大智慧"}, {"ProductName", "TX"}}));
    // Lengths that run past the data leave the version out, and the exports in.
    std::vector<unsigned char> damaged = versioned_dll();
    put16(damaged, 0x460, 0x7000);
    ASSERT_TRUE(read_pe_image(damaged, &pe, &error)) << error;
    EXPECT_EQ(pe.file_version, "");
    EXPECT_EQ(pe.exports.size(), 2u);
}

TEST(PeImage, ReadsMachineExportsAndImports) {
    PeImage pe;
    std::string error;
    ASSERT_TRUE(read_pe_image(tiny_dll(), &pe, &error)) << error;
    EXPECT_EQ(pe.machine, 0x14Cu);
    EXPECT_TRUE(pe.pe32);
    EXPECT_TRUE(pe.is_dll);
    EXPECT_EQ(pe.exports, (std::vector<std::string>{"_systime@4", "?savedata0@@YGHPADJ0M@Z"}));
    EXPECT_EQ(pe.imports, (std::vector<std::string>{"KERNEL32.dll"}));
    using Imports = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(pe.imported_functions, (Imports{{"KERNEL32.dll", "WinExec"}, {"KERNEL32.dll", "#7"}}));
    // A name that lies outside every section is damage, not a name.
    std::vector<unsigned char> damaged = tiny_dll();
    put32(damaged, 0x200 + 0x1A0, 0x9000);
    EXPECT_FALSE(read_pe_image(damaged, &pe, &error));
}

TEST(WindowsImports, TheOldestWindowsIsTheNewestThatAnyImportNeeds) {
    struct Case {
        std::vector<std::pair<std::string, std::string>> imports;
        WindowsVersion oldest;
        size_t beyond_xp;
    };
    const Case cases[] = {
        {{}, WindowsVersion::xp_sp3, 0},
        {{{"KERNEL32.dll", "WinExec"}, {"psapi.dll", "EnumProcessModules"}, {"msvcrt.dll", "_localtime64"}},
         WindowsVersion::xp_sp3, 0},
        {{{"KERNEL32.dll", "K32EnumProcessModules"}, {"KERNEL32.dll", "GetTickCount64"}}, WindowsVersion::win7, 2},
        {{{"kernel32.DLL", "GetSystemTimePreciseAsFileTime"}, {"USER32.dll", "SendMessageA"}},
         WindowsVersion::win8, 1},
        // Listed for another DLL, part of a listed name, or imported by
        // ordinal: not known to exist on XP SP3.
        {{{"USER32.dll", "WinExec"}}, WindowsVersion::unknown, 1},
        {{{"KERNEL32.dll", "Exec"}}, WindowsVersion::unknown, 1},
        {{{"KERNEL32.dll", "#7"}, {"KERNEL32.dll", "K32EnumProcesses"}}, WindowsVersion::unknown, 2},
    };
    for (const Case& c : cases) {
        ImportNeeds needs = import_needs(c.imports);
        EXPECT_EQ(needs.oldest, c.oldest) << windows_name(needs.oldest);
        EXPECT_EQ(needs.beyond_xp.size(), c.beyond_xp);
    }
    EXPECT_EQ(import_needs({{"KERNEL32.dll", "K32EnumProcessModules"}}).beyond_xp,
              (std::vector<std::string>{"KERNEL32.dll K32EnumProcessModules: Windows 7"}));
}

TEST(PeImage, DamagedFilesAreRefusedWithoutReadingPastThem) {
    std::vector<unsigned char> dll = tiny_dll();
    PeImage pe;
    std::string error;
    for (size_t cut : {size_t(0), size_t(2), size_t(0x50), size_t(0x210), size_t(0x265)}) {
        std::vector<unsigned char> part(dll.begin(), dll.begin() + static_cast<long>(cut));
        EXPECT_FALSE(read_pe_image(part, &pe, &error)) << cut;
    }
    std::vector<unsigned char> rom = dll;
    put16(rom, 0x44 + 20, 0x107);
    EXPECT_FALSE(read_pe_image(rom, &pe, &error));
}

TEST(PeImage, ReadsA64BitImageAndTellsTheKinds) {
    // tiny_dll() as PE32+: a 240-byte optional header, its data directories
    // 16 bytes further on, the section table after it.
    std::vector<unsigned char> b = tiny_dll();
    const size_t opt = 0x44 + 20;
    std::copy_backward(b.begin() + opt + 224, b.begin() + opt + 264, b.begin() + opt + 280);
    std::copy_backward(b.begin() + opt + 96, b.begin() + opt + 112, b.begin() + opt + 128);
    std::fill(b.begin() + opt + 96, b.begin() + opt + 112, 0);
    std::fill(b.begin() + opt + 224, b.begin() + opt + 240, 0);
    put16(b, 0x44, 0x8664);
    put16(b, 0x44 + 16, 240);
    put16(b, opt, 0x20B);
    PeImage pe;
    std::string error;
    ASSERT_TRUE(read_pe_image(b, &pe, &error)) << error;
    EXPECT_EQ(pe.machine, 0x8664u);
    EXPECT_FALSE(pe.pe32);
    EXPECT_EQ(pe.exports, (std::vector<std::string>{"_systime@4", "?savedata0@@YGHPADJ0M@Z"}));
    EXPECT_EQ(pe.imports, (std::vector<std::string>{"KERNEL32.dll"}));
    // The check tells the two kinds of DLL apart by RegisterTdxFunc, and a
    // TDX plug-in's builds by machine.
    EXPECT_EQ(dll_kind(pe), DllKind::kDzhLibrary);
    pe.exports = {"RegisterTdxFunc"};
    EXPECT_EQ(dll_kind(pe), DllKind::kTdxPlugin64);
    pe.machine = 0x14C;
    EXPECT_EQ(dll_kind(pe), DllKind::kTdxPlugin32);
    pe.machine = 0xAA64;
    EXPECT_EQ(dll_kind(pe), DllKind::kTdxPluginOther);
}

TEST(PeImage, OnlyWindowsOwnDllsCountAsSystem) {
    EXPECT_TRUE(is_system_dll("KERNEL32.dll"));
    EXPECT_TRUE(is_system_dll("msvcrt.dll"));
    EXPECT_FALSE(is_system_dll("libgcc_s_dw2-1.dll"));
    EXPECT_FALSE(is_system_dll("libstdc++-6.dll"));
    EXPECT_FALSE(is_system_dll("libwinpthread-1.dll"));
}

TEST(CsvBars, TimesInThreeFormsAndAHeading) {
    std::vector<BarRecord> bars;
    std::string error;
    ASSERT_TRUE(parse_bars_csv("time,open,high,low,close,volume,amount\r\n"
                               "2024-03-05,1,2,0.5,1.5,100,150\n"
                               "2024-03-05 09:31,1,1,1,1,1,1\n"
                               "1700000000,1,1,1,1,1,1\n",
                               &bars, &error))
        << error;
    ASSERT_EQ(bars.size(), 3u);
    EXPECT_EQ(bars[0].time, 1709596800);               // start of the UTC day
    EXPECT_EQ(bars[1].time, 1709596800 + 3600 + 1860);  // 09:31 Beijing = 01:31 UTC
    EXPECT_EQ(bars[2].time, 1700000000);
    EXPECT_EQ(bars[0].high, 2.0f);
    EXPECT_EQ(bars[0].amount, 150.0f);
}

TEST(CsvBars, BadLinesAreNamed) {
    std::vector<BarRecord> bars;
    std::string error;
    EXPECT_FALSE(parse_bars_csv("2024-03-05,1,2,3\n", &bars, &error));
    EXPECT_NE(error.find("line 1"), std::string::npos);
    EXPECT_FALSE(parse_bars_csv("2024-03-05,1,2,3,4,5,x\n", &bars, &error));
    EXPECT_FALSE(parse_bars_csv("", &bars, &error));
    EXPECT_EQ(sample_bars().size(), 120u);
}

TEST(Docs, EveryBuiltExportHasAUserPage) {
    std::string all;
    for (const auto& page : std::filesystem::directory_iterator(std::string(TARVEX_SOURCE_DIR) + "/docs")) {
        if (page.path().extension() != ".md") continue;
        std::ifstream in(page.path());
        std::stringstream ss;
        ss << in.rdbuf();
        all += ss.str();
    }
    for (int i = 0; i < kExportCount; ++i) {
        const ExportEntry& e = kExportTable[i];
        if (!e.built) continue;
        // savedata0 is called by programs, not formulas: its page names it.
        std::string wanted = e.arg_bytes == 4 ? std::string("TARVEX@") + e.function : e.function;
        EXPECT_NE(all.find(wanted), std::string::npos) << e.function << " is not shown in docs/";
    }
}
