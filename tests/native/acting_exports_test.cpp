// The exports that act on another program (AlarmOnOff, LKBS, TDX, TDXTrade)
// on the scripted desktop: a value the formula left undefined, an empty
// chart or a missing code presses, types and clicks nothing, and says why in
// the log; the same calls with defined values do act.
#include <cmath>
#include <functional>
#include <string>

#include "alarms/exports.h"
#include "bridges/exports.h"
#include "tests/native/datafiles_support.h"
#include "tests/native/desktop_support.h"

namespace pw = plat_windows_testing;

namespace {

class ActingExports : public TerminalDeskTest {};

// A chart of `n` bars for a fresh label (the TDX bridge acts once per
// security), parameter 1 the constant v, parameter 2 present.
Chart chart(int n, float v) {
    static int labels = 0;
    Chart c(n);
    c.label = std::to_string(600100 + labels++);
    c.constant(v);
    c.p2 = {1};
    return c;
}

}  // namespace

TEST_F(ActingExports, UndefinedValuesEmptyChartsAndMissingCodesActOnNothing) {
    auto with = [](std::function<void(Chart&)> f) { return f; };
    auto no_bar_series = with([](Chart& c) { c.set_bars({}), c.p1 = {1}, c.param1_start = 0; });
    auto no_bar = with([](Chart& c) { c.set_bars({}); });
    auto value = [](float v) { return [v](Chart& c) { c.constant(v); }; };
    const std::string alarm = "AlarmOnOff 参数1未定义(无K线或非数值),不操作", lk = "LKBS 参数1未定义(无K线或非数值),不操作",
                      price = "TDXTrade 价格未定义(无K线或非数值),不操作";
    struct Case {
        FormulaCall fn;
        std::function<void(Chart&)> setup;
        std::string logged;
    } cases[] = {
        {AlarmOnOff, value(NAN), alarm},  // NaN would have stopped the engine (truncated to 0)
        {AlarmOnOff, value(INFINITY), alarm},
        {AlarmOnOff, no_bar_series, alarm},
        {AlarmOnOff, no_bar, alarm},
        {LKBS, value(NAN), lk},
        {LKBS, value(-INFINITY), lk},
        {LKBS, no_bar_series, lk},
        {LKBS, no_bar, lk},
        {TDXTrade, value(NAN), price},
        {TDXTrade, no_bar_series, price},  // used to type and click with price 0
        {TDXTrade, no_bar, price},
        {TDXTrade, [](Chart& c) { c.p3 = {NAN}; }, "TDXTrade 模式未定义(非数值),不操作"},  // not the multi-account panel
        {TDXTrade, value(1e30f), "TDXTrade 价格超出范围,不操作"},  // "%.2f" would not fit: typed cut short
        {TDXTrade, [](Chart& c) { c.label.clear(); }, "TDXTrade 无证券代码,不操作"},
        {TDX, [](Chart& c) { c.label.clear(); }, "TDX 无证券代码,不操作"},
        {TDX, no_bar, "TDX 图表无K线,不操作"},
    };
    for (const Case& k : cases) {
        std::remove("TARVEX.log");
        Chart c = chart(5, 1);
        k.setup(c);
        EXPECT_EQ(k.fn(&c.ci()), -1) << k.logged;
        EXPECT_TRUE(pw::record().empty()) << k.logged << ": " << pw::record().front();
        EXPECT_NE(log_text().find("-> " + k.logged), std::string::npos) << k.logged;
        for (float v : c.result) EXPECT_EQ(v, -777.0f) << k.logged;
    }
    // A null label is no code either, and is never copied.
    Chart none = chart(5, 10.5f);
    tagCALCINFO ci = none.ci();
    ci.stock_label = nullptr;
    EXPECT_EQ(TDX(&ci), -1);
    EXPECT_EQ(TDXTrade(&ci), -1);
    EXPECT_TRUE(pw::record().empty());

    // Defined values act: one record of what was done for each.
    struct { FormulaCall fn; float v; int returned; } acting[] = {{AlarmOnOff, 1, 0}, {LKBS, 1, 4}, {TDXTrade, 10.5f, 0},
                                                                 {TDX, 1, 0}};
    for (const auto& a : acting) {
        Chart c = chart(5, a.v);
        size_t before = pw::record().size();
        EXPECT_EQ(a.fn(&c.ci()), a.returned);
        EXPECT_GT(pw::record().size(), before);
    }
}

// The rehearsal works on its own copy of the repeat-stopping memory, taken
// when it is switched on: it refuses what the live call would refuse, and
// switched off, the live call acts as if no rehearsal had run.
TEST_F(ActingExports, RehearsalRemembersApartAndTheLiveCallActsNext) {
    const std::string paths = "[路径]\n通达信=" + win("tdx") + "\n";
    auto rehearse = [&](bool on) {
        write_text("TARVEX.ini", paths + (on ? "[安全]\n演练=1\n" : "[安全]\n演练=0\n;\n"));
    };
    auto lk = [](float op) {
        Chart c(5);
        c.constant(op);
        return LKBS(&c.ci());
    };
    auto trade = [](const char* label) {
        Chart c(5);
        c.label = label;
        c.constant(10.5f);
        c.p2 = {1};
        return TDXTrade(&c.ci());
    };
    EXPECT_EQ(trade("600201"), 0);  // live: the code box now shows 600201
    EXPECT_EQ(lk(2), 4);
    const size_t acted = pw::record().size();

    rehearse(true);
    std::remove("TARVEX.log");
    // The cursor over the host's own chart: where the live click is allowed.
    pw::set_window_under_cursor(pw::add_window(0, "AfxFrameOrView", "图表", 8));
    EXPECT_EQ(lk(2), -1);  // refused as live would be
    EXPECT_EQ(lk(3), 4);
    EXPECT_EQ(lk(3), -1);
    EXPECT_EQ(trade("600201"), -1);
    EXPECT_EQ(trade("600202"), 0);  // a new code: the code box
    EXPECT_EQ(trade("600201"), 0);  // the box shows it: the price box
    EXPECT_EQ(pw::record().size(), acted);
    const std::string log = log_text();
    for (const char* line : {"-> 重复操作，返回 2", "-> 演练: LKBS 会按 开空[F3]600000", "-> 重复操作，返回 3",
                             "-> 演练: TDXTrade 会在 TDX测试 交易 的代码框填 600202",
                             "-> 演练: TDXTrade 会在 TDX测试 交易 的价格框填 10.50 (600201)",
                             "-> 演练: TDXTrade 会在鼠标当前位置按一下左键 (600201)"})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    EXPECT_EQ(log.find("成功"), std::string::npos);

    rehearse(false);
    EXPECT_EQ(lk(3), 4);  // live memory still holds 2
    EXPECT_EQ(trade("600201"), -1);  // and 600201
    EXPECT_GT(pw::record().size(), acted);
    // Switched on again, the copy starts from the live memory anew.
    rehearse(true);
    EXPECT_EQ(lk(3), -1);
}
