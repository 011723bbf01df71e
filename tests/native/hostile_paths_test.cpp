// Labels and names that would lead a written file out of its directory, and
// a record without bars: refused before any file is touched.
#include <string>
#include <vector>

#include "bridges/aget.h"
#include "bridges/mt4.h"
#include "datafiles/exports.h"
#include "tests/native/datafiles_support.h"

namespace {
const char* const kLeaving[] = {"..\\..\\x1", "../../x2", "..", "C:\\x3", "a\\b", "60\x81"};

Chart chart_with(const char* label) {
    Chart c(4);
    c.label = label;
    return c;
}
}  // namespace

TEST_F(DataFileTest, LabelsThatLeaveTheDirectoryNameNoFile) {
    write_text("TARVEX.ini", "[路径]\nMT4_HST_PATH=" + win("mt4") + "\\\nGET=" + win("get") + "\\\n");
    make_dir("mt4");
    make_dir("get");
    for (const char* label : kLeaving) {
        Chart c = chart_with(label);
        c.closes_series(0);
        c.p2 = {11};
        EXPECT_EQ(saveDay(&c.ci()), -1) << label;
        EXPECT_EQ(saveS(&c.ci()), -1) << label;
        std::remove("TARVEX.log");
        EXPECT_EQ(Save2Mt4(&c.ci()), -1) << label;
        EXPECT_NE(log_text().find("-> Save2Mt4 代码不能作文件名:"), std::string::npos) << label;
        EXPECT_EQ(Save2Get(&c.ci()), -1) << label;
        char name[] = "ALARM";
        std::string code = label;
        EXPECT_EQ(savedata0(name, 1704153600, &code[0], 1.0f), -1) << label;
        EXPECT_EQ(savedata0(&code[0], 1704153600, name, 1.0f), -1) << label;
        for (float v : c.result) EXPECT_EQ(v, -777.0f) << label;
    }
    EXPECT_FALSE(exists("../x1.DAY"));
    EXPECT_FALSE(exists("../x2.DAY"));
    EXPECT_FALSE(exists("../x1DAY.TXT"));
    // A sane label still writes its files.
    Chart ok = chart_with("600000");
    ok.closes_series(0);
    ok.p2 = {11};
    EXPECT_EQ(saveDay(&ok.ci()), 0);
    EXPECT_EQ(Save2Mt4(&ok.ci()), 0);
    EXPECT_TRUE(exists("mt4/SH6000001440.HST"));
    EXPECT_EQ(Save2Get(&ok.ci()), 0);
    EXPECT_TRUE(exists("get/SH600000DAY.TXT"));
}

TEST_F(DataFileTest, WritersWithoutBarsFail) {
    Chart c = chart_with("600000");
    c.closes_series(1);
    c.p2 = {11};
    c.p3 = {7};
    tagCALCINFO ci = c.ci();
    ci.bars = nullptr;
    for (auto* fn : {saveDay, saveS, savedata, SAVEDATA_CAPITAL}) EXPECT_EQ(fn(&ci), -1);
    EXPECT_EQ(savedataR(&ci), -1);
    for (float v : c.result) EXPECT_EQ(v, -777.0f);
}
