// Deal: title recognition, and a GBK file with CRLF line ends full of
// hostile lines, each logged and skipped while the import goes on.
#include "invest/deal_text.h"
#include "invest/exports.h"
#include "invest/invest_messages.h"
#include "tests/native/datafiles_support.h"

namespace {
const char kTitle[] = "成交时间,合约,买卖,开平,成交价,手数\r\n";

// A 1-minute chart of IF00 from 09:30 on 2010-12-01; param1 from bar 2, file 7, mode 1.
Chart deal_chart() {
    Chart c(10);
    for (int i = 0; i < 10; ++i) c.bars[i].time = static_cast<int32_t>(local_seconds(2010, 12, 1, 9, 30 + i, 0));
    c.label = "IF00";
    c.period = kPeriodMin1;
    c.series(std::vector<float>(10, 0.0f), 2);
    c.p2 = {7};
    c.p3 = {1};
    return c;
}
}  // namespace

TEST(DealText, TitleRecognition) {
    struct Case { std::string title; bool ok; std::vector<int> want; } cases[] = {  // time, contract, lots, price
        {"成交时间,合约,买卖,开平,成交价,手数", true, {0, 1, 5, 4}},
        {"合约,,价格,,成交数量,,委托时间,备注", true, {3, 0, 2, 1}},  // runs of commas count as one
        {"日期,时间,合约,手数,价格", false, {1, 2, 3, -1}},          // two matches spent on the time
        {"", false, {-1, -1, -1, -1}},
    };
    for (Case& k : cases) {
        char* word[100];
        DealColumns got;
        EXPECT_EQ(recognise_columns(word, split_fields(&k.title[0], ",", word, 100), &got), k.ok);
        EXPECT_EQ(std::vector<int>({got.time, got.contract, got.lots, got.price}), k.want) << k.title;
    }
}

TEST_F(DataFileTest, DealSkipsBadLinesAndGoesOn) {
    std::string many;
    for (int i = 0; i < 120; ++i) many += ",a";
    std::string whole299 = "2010/12/01 09:34:30,IF1012,买,开,2390,1,";  // exactly 299 characters: one line
    whole299 += std::string(299 - whole299.size(), 'y');
    write_text("7.dat", std::string(kTitle) +
        "2010/12/01 09:31:05,IF1012,买,开,2350.2,3\r\n"
        "2010/12/01 09:33:10,IF1012,买,开,2350,3\r\n"
        "2010-12-01 09:33:50,IF1012,买,开,2354,1\r\n"      // same bar: 4 lots at 2351
        "2010/12/01 09:20:00,IF1012,买,开,2300,2\r\n"      // before the first bar: slot 0, then
        "2010/12/01 09:29:00,IF1012,买,开,2310,1\r\n"      // replaced
        "2010/12/01 09:50:00,IF1012,买,开,2400,1\r\n"      // after the last bar
        "2010/12/01 09:35:00,IF1012,卖,开,2400,1\r\n\r\n"  // other direction, empty line
        "2010/12/01 09:35:00,IC1012,买,开,2400,1\r\n"      // other contract
        "2010/12/01 09:35:00,IF1012,买,开,2400\r\n"        // five fields
        "2010/12/01 09:35:00,IF,买,开,2400,1\r\n"          // contract too short
        "2010/13/xx 09:35:00,IF1012,买,开,2400,1\r\n"      // no date
        "2010/12/01 09:36:00,IF1012,买,开,2400,1," + std::string(300, 'x') + "\r\n" +  // its first piece holds
        "2010/12/01 09:36:10,IF1012,买,开,2400," + std::string(280, '1') + "\r\n" +   // the columns; here not
        whole299 + "\r\n" +
        "2010/12/01 09:36:30,IF1012,买,开,nan,1\r\n"
        "2010/12/01 09:37:00,IF1012,买,开,2360,2,,,,x,,,\r\n"
        "2010/12/01 09:38:00,IF1012,买,开,2370,1" + many + "\r\n" +  // 126 fields
        "2010/12/01 09:39:00,IF1012,买,开,2380,1");                 // no line end
    Chart c = deal_chart();
    EXPECT_EQ(Deal(&c.ci()), 2);
    std::vector<float> want = {12310, -777, 32350.2f, 0, 42351, 12390, 12400, 22360, 12370, 12380};
    for (int i = 0; i < 10; ++i) EXPECT_FLOAT_EQ(c.result[i], want[i]) << i;
    std::string fmt = log_entry(kMsgDealRecordFormat), log = log_text();
    std::string head = log_entry(std::string(kMsgDealOtherContract) + " IC12<-->IF") + fmt + fmt +
                       "\r\n26-12-07 09:31:05 ->" + kMsgDealTime;  // the time form; what follows means nothing
    EXPECT_EQ(log.substr(0, head.size()), head);
    EXPECT_EQ(log.substr(log.find('\n', head.size()) - 1), fmt + fmt);
}

TEST_F(DataFileTest, DealRefusals) {
    struct Case { float mode; int period; std::string file; int want; std::string log; } cases[] = {
        {0, kPeriodMin1, kTitle, -1, std::string(kMsgDealMode) + " 0"},
        {5, kPeriodMin1, kTitle, -1, std::string(kMsgDealMode) + " 5"},
        {1, kPeriodMin1, "日期,时间,合约,手数,价格\r\n", -1, kMsgDealTitle},
        {1, kPeriodTick, kTitle, -1, ""},
        {4, kPeriodDay, kTitle, 2, ""},
        {1, kPeriodMin1, "", -1, std::string(kMsgDealOpen) + " " + win("7.dat")},  // no file
    };
    for (const Case& k : cases) {
        if (k.file.empty()) std::remove(at("7.dat").c_str());
        else write_text("7.dat", k.file);
        std::remove(at("TARVEX.log").c_str());
        Chart c = deal_chart();
        c.p3 = {k.mode};
        c.period = k.period;
        EXPECT_EQ(Deal(&c.ci()), k.want) << k.mode << " " << k.period;
        EXPECT_EQ(log_text(), k.log.empty() ? "" : log_entry(k.log));
    }
}
