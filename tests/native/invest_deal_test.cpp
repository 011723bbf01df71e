// Deal and its text pieces: title recognition, field splitting, trade
// times, the packing of quantity and price, and a GBK file with CRLF line
// ends full of hostile lines, each logged and skipped while the import goes on.
#include <string>
#include <vector>

#include "invest/deal_text.h"
#include "invest/exports.h"
#include "invest/invest_messages.h"
#include "tests/native/datafiles_support.h"

namespace {

std::vector<std::string> split(std::string text, const char* sep, int max = 10) {
    std::vector<char*> f(static_cast<size_t>(max));
    int n = split_fields(&text[0], sep, f.data(), max);
    return std::vector<std::string>(f.begin(), f.begin() + n);
}

const char kTitle[] = "成交时间,合约,买卖,开平,成交价,手数\r\n";

class DealTest : public DataFileTest {
protected:
    // A 1-minute chart of IF00 from 09:30 on 2010-12-01, param1 from bar 2,
    // file number 7, mode 1.
    Chart chart() {
        Chart c(10);
        for (int i = 0; i < 10; ++i) c.bars[i].time = static_cast<int32_t>(local_seconds(2010, 12, 1, 9, 30 + i, 0));
        c.label = "IF00";
        c.period = kPeriodMin1;
        c.series(std::vector<float>(10, 0.0f), 2);
        c.p2 = {7};
        c.p3 = {1};
        return c;
    }
};

}  // namespace

TEST(DealText, SplitFields) {
    EXPECT_EQ(split("a,b,c", ","), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(split(",,a,,b,", ","), (std::vector<std::string>{"a", "b"}));  // runs count as one
    EXPECT_EQ(split("a;b,c", ",;"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(split("a,b,c,d", ",", 2), (std::vector<std::string>{"a", "b"}));  // the table is full
    EXPECT_EQ(split("", ","), std::vector<std::string>{});
    EXPECT_EQ(split("a,b", ""), std::vector<std::string>{});
    char* f[2];
    EXPECT_EQ(split_fields(nullptr, ",", f, 2), 0);
}

TEST(DealText, TitleRecognition) {
    struct Case { std::string title; bool ok; DealColumns want; } cases[] = {
        {"成交时间,合约,买卖,开平,成交价,手数", true, {0, 1, 5, 4}},
        {"合约,价格,成交数量,委托时间,备注", true, {3, 0, 2, 1}},
        {"合约,,价格,,手数,,日期", true, {3, 0, 2, 1}},
        {"日期,时间,合约,手数,价格", false, {1, 2, 3, -1}},  // two matches spent on the time
        {"日期,合约,手数", false, {0, 1, 2, -1}},
        {"", false, {}},
    };
    for (Case& k : cases) {
        char* word[100];
        DealColumns got;
        EXPECT_EQ(recognise_columns(word, split_fields(&k.title[0], ",", word, 100), &got), k.ok) << k.title;
        EXPECT_EQ(got.time, k.want.time) << k.title;
        EXPECT_EQ(got.contract, k.want.contract) << k.title;
        EXPECT_EQ(got.lots, k.want.lots) << k.title;
        EXPECT_EQ(got.price, k.want.price) << k.title;
    }
}

TEST(DealText, TradeTimes) {
    setenv("TZ", "CST-8", 1);
    tzset();
    struct Case { const char* text; bool ok; int64_t want; } cases[] = {
        {"2010/12/01 09:31:05", true, 1291167065},
        {"2010-12-01 09:31:05\n", true, 1291167065},
        {"2010/1/2 3:4:5", true, 1262372645},
        {"2010/12/01 09:31", false, 0},
        {"2010.12.01 09:31:05", false, 0},
        {"下午 2010/12/01", false, 0},
        {"1969/12/31 08:00:00", false, 0},  // before 1970
        {"2040/01/01 00:00:00", false, 0},  // past the 32-bit seconds
    };
    for (const Case& k : cases) {
        int64_t t = -5;
        EXPECT_EQ(parse_trade_time(k.text, &t), k.ok) << k.text;
        if (k.ok) {
            EXPECT_EQ(t, k.want) << k.text;
        }
    }
}

TEST(DealText, PackingAndCodes) {
    int lots;
    float price;
    split_lots_price(32350.2f, &lots, &price);
    EXPECT_EQ(lots, 3);
    EXPECT_NEAR(price, 2350.2f, 0.002f);
    EXPECT_FLOAT_EQ(merge_trades(32350.0f, 12354.0f), 42351.0f);
    EXPECT_FLOAT_EQ(merge_trades(10.0f, 20.0f), 15.0f);  // no lots to weigh by
    split_lots_price(3e38f, &lots, &price);               // no overflow on a stray value
    EXPECT_EQ(lots, 2147483647);

    struct Code { const char* label; const char* want; } codes[] = {
        {"IF00", "IF"}, {"IF12", "IF12"}, {"600000", "600000"}, {"ZZ00", "ZZ00"},
        {"a00", "a00"}, {"X", "X"}, {"CU0012", "CU"}, {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "ABCDEFGHIJKLMNOPQRS"},
    };
    for (const Code& c : codes) {
        char sklab[20];
        chart_contract(c.label, sklab, sizeof sklab);
        EXPECT_STREQ(sklab, c.want) << c.label;
    }
    struct Contract { std::string in; bool ok; std::string want; } contracts[] = {
        {"IF1012", true, "IF12"}, {"1012", true, "12"}, {"IF1", false, "IF1"}, {"", false, ""},
    };
    for (Contract& c : contracts) {
        EXPECT_EQ(shorten_contract(&c.in[0]), c.ok);
        EXPECT_EQ(std::string(c.in.c_str()), c.want);
    }
}

TEST_F(DealTest, ImportsOneDirectionAndSkipsBadLines) {
    std::string many(120 * 2, ',');
    for (size_t i = 1; i < many.size(); i += 2) many[i] = 'a';
    write_text("7.dat", std::string(kTitle) +
        "2010/12/01 09:31:05,IF1012,买,开,2350.2,3\r\n"
        "2010/12/01 09:33:10,IF1012,买,开,2350,3\r\n"
        "2010-12-01 09:33:50,IF1012,买,开,2354,1\r\n"    // same bar: 4 lots at 2351
        "2010/12/01 09:20:00,IF1012,买,开,2300,2\r\n"    // before the first bar: slot 0
        "2010/12/01 09:29:00,IF1012,买,开,2310,1\r\n"    // ... replaced
        "2010/12/01 09:50:00,IF1012,买,开,2400,1\r\n"    // after the last bar
        "2010/12/01 09:35:00,IF1012,卖,开,2400,1\r\n"    // other direction
        "\r\n"
        "2010/12/01 09:35:00,IC1012,买,开,2400,1\r\n"    // other contract
        "2010/12/01 09:35:00,IF1012,买,开,2400\r\n"      // five fields
        "2010/12/01 09:35:00,IF,买,开,2400,1\r\n"        // contract too short
        "2010/13/xx 09:35:00,IF1012,买,开,2400,1\r\n"    // no date
        "2010/12/01 09:36:00,IF1012,买,开,2400,1," + std::string(300, 'x') + "\r\n" +
        "2010/12/01 09:36:30,IF1012,买,开,nan,1\r\n"
        "2010/12/01 09:36:40,IF1012,买,开,0,0\r\n"       // value 0: nothing
        "2010/12/01 09:37:00,IF1012,买,开,2360,2,,,,x,,,\r\n"
        "2010/12/01 09:38:00,IF1012,买,开,2370,1" + many + "\r\n" +
        "2010/12/01 09:39:00,IF1012,买,开,2380,1");       // no line end
    Chart c = chart();
    EXPECT_EQ(Deal(&c.ci()), 2);
    std::vector<float> want = {12310, -777, 32350.2f, 0, 42351, 0, 0, 22360, 12370, 12380};
    for (int i = 0; i < 10; ++i) EXPECT_FLOAT_EQ(c.result[i], want[i]) << i;
    std::string fmt = log_entry(kMsgDealRecordFormat);
    std::string log = log_text();
    std::string head = log_entry(std::string(kMsgDealOtherContract) + " IC12<-->IF") + fmt + fmt +
                       "\r\n26-12-07 09:31:05 ->" + kMsgDealTime;  // the time form: no blank
    EXPECT_EQ(log.substr(0, head.size()), head);
    EXPECT_EQ(log.substr(log.size() - 2 * fmt.size()), fmt + fmt);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 6);
}

TEST_F(DealTest, Refusals) {
    struct Case { float mode; int period; std::string file; int want; std::string log; } cases[] = {
        {0, kPeriodMin1, kTitle, -1, std::string(kMsgDealMode) + " 0"},
        {5, kPeriodMin1, kTitle, -1, std::string(kMsgDealMode) + " 5"},
        {1, kPeriodMin1, "", -1, kMsgDealTitle},
        {1, kPeriodMin1, "日期,时间,合约,手数,价格\r\n", -1, kMsgDealTitle},
        {1, kPeriodTimeShare, kTitle, -1, ""},
        {1, kPeriodTick, kTitle, -1, ""},
        {4, kPeriodDay, kTitle, 2, ""},
    };
    for (const Case& k : cases) {
        write_text("7.dat", k.file);
        std::remove(at("TARVEX.log").c_str());
        Chart c = chart();
        c.p3 = {k.mode};
        c.period = k.period;
        EXPECT_EQ(Deal(&c.ci()), k.want) << k.mode << " " << k.period;
        EXPECT_EQ(log_text(), k.log.empty() ? "" : log_entry(k.log));
    }
    std::remove(at("7.dat").c_str());
    Chart c = chart();
    EXPECT_EQ(Deal(&c.ci()), -1);
    EXPECT_EQ(log_text(), log_entry(std::string(kMsgDealOpen) + " " + win("7.dat")));
    EXPECT_EQ(c.result[2], -777.0f);
}
