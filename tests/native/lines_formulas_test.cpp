// The five trend-line formulas on hand-made series whose peaks, troughs and
// levels are worked out by hand in the comments.
#include <cmath>
#include <map>

#include "lines/exports.h"
#include "lines/formulas.h"
#include "lines/level_stages.h"
#include "tests/native/support.h"

namespace {

// Nonzero result slots as index -> label.
std::map<int, float> labels(const Chart& c) {
    std::map<int, float> out;
    for (size_t i = 0; i < c.result.size(); ++i)
        if (c.result[i] != 0.0f) out[static_cast<int>(i)] = c.result[i];
    return out;
}

// Flat closes of `base` with the given bars changed, parameter 1 the closes.
Chart flat_with(int n, float base, const std::map<int, float>& changes, float p2 = 5.0f) {
    std::vector<float> closes(n, base);
    for (const auto& kv : changes) closes[kv.first] = kv.second;
    Chart c(0);
    c.set_bars(day_bars(closes));
    c.closes_series(0);
    c.p2 = {p2};
    return c;
}

// Flat 10 with a peak of 14 at bar 12, a trough of 6 at 24 and a peak of 12
// at 36. The walks mark the flat bars every 5 bars too; runs keep one of
// each, the 1 % merge leaves bars 7 (10), 12, 24, 36, and the reference
// close 10 ranks them 6 < 10 <= ref < 12 < 14.
Chart three_levels() { return flat_with(50, 10.0f, {{12, 14.0f}, {24, 6.0f}, {36, 12.0f}}); }

}  // namespace

TEST(LinesRefusals, EachFormulaRefusesAsItsRulesSay) {
    using Fn = int (*)(tagCALCINFO*);
    const Fn all[] = {Tline, TlineLow, TlineAll, TLineS, TlineNear};
    Chart c = three_levels();
    c.p4 = {50.0f};
    Chart short9(9);
    short9.closes_series(0);
    short9.p2 = {5.0f};
    short9.p4 = {9.0f};
    for (Fn f : all) {
        EXPECT_EQ(f(&short9.ci()), -1);  // 10 bars needed
        EXPECT_EQ(short9.result[0], -777.0f);
    }
    short9.p2 = {3.0f};
    EXPECT_EQ(Tline(&short9.ci()), 0);  // N = 2: 4 bars suffice
    EXPECT_EQ(TlineNear(&short9.ci()), -1);

    c.period = kPeriodTick;
    EXPECT_EQ(Tline(&c.ci()), -1);
    EXPECT_EQ(TLineS(&c.ci()), -1);
    EXPECT_EQ(TlineNear(&c.ci()), -1);
    EXPECT_NE(TlineLow(&c.ci()), -2);  // no period rule: runs
    EXPECT_EQ(TlineAll(&c.ci()), 0);
    c.period = kPeriodDay;

    Chart no_p4 = three_levels();
    EXPECT_EQ(TlineAll(&no_p4.ci()), -1);
    no_p4.p4 = {50.0f};
    no_p4.p1.clear();  // parameter 1 absent: refused, not read through null
    EXPECT_EQ(TlineAll(&no_p4.ci()), -1);
    no_p4.constant(1.0f);
    no_p4.p2.clear();
    EXPECT_EQ(TlineAll(&no_p4.ci()), -1);
    for (float v : no_p4.result) EXPECT_EQ(v, -777.0f);

    c.constant(1.0f);  // a number where a series is needed
    for (Fn f : {Tline, TlineLow, TLineS, TlineNear}) EXPECT_EQ(f(&c.ci()), -1);
}

TEST(LinesTline, StaircaseOfHigherPeaks) {
    Chart c = flat_with(40, 10.0f, {{30, 12.0f}, {20, 15.0f}, {10, 20.0f}});
    EXPECT_EQ(Tline(&c.ci()), 0);
    EXPECT_EQ(labels(c), (std::map<int, float>{{30, 1}, {20, 2}, {10, 3}}));

    // Ratio 1.05: 12.36 is only 3 % above 12, so the older peak takes label 1.
    c = flat_with(40, 10.0f, {{30, 12.0f}, {20, 12.36f}, {10, 20.0f}});
    c.p3 = {1.05f};
    Tline(&c.ci());
    EXPECT_EQ(labels(c), (std::map<int, float>{{20, 1}, {10, 2}}));

    // The walk stops after the first peak that reaches ten times the last value.
    c = flat_with(40, 10.0f, {{30, 12.0f}, {20, 150.0f}, {10, 200.0f}});
    Tline(&c.ci());
    EXPECT_EQ(labels(c), (std::map<int, float>{{30, 1}, {20, 2}}));
}

TEST(LinesTline, NoPeakAboveZeroSetsSlotZero) {
    Chart c = flat_with(40, 10.0f, {{30, 12.0f}});
    c.series(std::vector<float>(40, -1.0f), 3);
    EXPECT_EQ(Tline(&c.ci()), 3);
    EXPECT_EQ(labels(c), (std::map<int, float>{{0, 1}, {1, -777}, {2, -777}}));
}

TEST(LinesTline, ShortStepBackEndsAtTheFirstRepeatedBar) {
    // 20 rising closes, parameter 1 the closes less 0.1, param2 2: the search
    // hands back bar 19 again and again; the walk stops at the repeat.
    std::vector<float> closes, p1;
    for (int i = 0; i < 20; ++i) {
        closes.push_back(static_cast<float>(i + 1));
        p1.push_back(static_cast<float>(i + 1) - 0.1f);
    }
    Chart c(0);
    c.set_bars(day_bars(closes));
    c.series(p1, 0);
    c.p2 = {2.0f};
    EXPECT_EQ(Tline(&c.ci()), 0);
    EXPECT_EQ(labels(c), (std::map<int, float>{{19, 1}}));
}

TEST(LinesTlineLow, StaircaseOfLowerTroughs) {
    Chart c = flat_with(40, 20.0f, {{30, 18.0f}, {20, 15.0f}, {10, 12.0f}});
    EXPECT_EQ(TlineLow(&c.ci()), 0);
    EXPECT_EQ(labels(c), (std::map<int, float>{{30, 1}, {20, 2}, {10, 3}}));

    // The closes find a deeper trough, but parameter 1 says 17.9 there, not
    // 1 % below 18: near the previous trough it takes over that label, more
    // than 2 N bars before it it opens a new one.
    for (int older : {24, 15}) {
        c = flat_with(40, 20.0f, {{30, 18.0f}, {older, 15.0f}});
        c.p1[older] = 17.9f;
        TlineLow(&c.ci());
        if (older == 24)
            EXPECT_EQ(labels(c), (std::map<int, float>{{24, 1}}));
        else
            EXPECT_EQ(labels(c), (std::map<int, float>{{30, 1}, {15, 2}}));
    }
}

TEST(LinesTlineLow, NoTroughCountedIsMinusOneWithClearedSlots) {
    std::vector<float> closes;
    for (int i = 0; i < 30; ++i) closes.push_back(static_cast<float>(i + 1));
    Chart c(0);
    c.set_bars(day_bars(closes));
    c.closes_series(0);
    c.p2 = {5.0f};
    EXPECT_EQ(TlineLow(&c.ci()), -1);
    EXPECT_TRUE(labels(c).empty());
}

TEST(LinesTlineAll, LevelsRankedAroundTheReferenceClose) {
    Chart c = three_levels();
    c.p4 = {500.0f};  // more than 50 - 5: becomes 45
    EXPECT_EQ(TlineAll(&c.ci()), 0);
    EXPECT_EQ(labels(c), (std::map<int, float>{{7, -1}, {12, 2}, {24, -2}, {36, 1}}));
}

TEST(LinesTlineAll, NumberParameterUsesHighsAndLowsAndCrossingsDropALevel) {
    // Highs 1 above the closes, lows 1 below; parameter 1 the number 1 records
    // peaks with highs and troughs with lows. Level 11 at bar 7 is crossed by
    // 9-15, 15-9 and 9-13 and goes; the 1 % merge leaves 9, 15, 11, 5, 13.
    Chart c = three_levels();
    for (BarRecord& b : c.bars) {
        b.high = b.close + 1.0f;
        b.low = b.close - 1.0f;
    }
    c.constant(1.0f);
    c.p4 = {50.0f};
    EXPECT_EQ(TlineAll(&c.ci()), 0);
    EXPECT_EQ(labels(c), (std::map<int, float>{{9, -1}, {12, 3}, {21, 1}, {24, -2}, {36, 2}}));
    // The number 0: peaks still found on highs but recorded with closes
    // (14, 12, 10), so 10 at bar 21 now sits at the reference, below it.
    c.constant(0.0f);
    EXPECT_EQ(TlineAll(&c.ci()), 0);
    EXPECT_EQ(labels(c), (std::map<int, float>{{9, -2}, {12, 2}, {21, -1}, {24, -3}, {36, 1}}));
}

TEST(LinesTLineS, RanksTheParameterSeries) {
    // A slowly rising line with a spike up at 8, down at 16 and up at 24:
    // local extremes 0 (min), 8, 16, 24 and the last bar 35 (outside the
    // working range, not a listed value, so cleared).
    std::vector<float> p;
    for (int i = 0; i < 36; ++i) p.push_back(10.0f + 0.01f * static_cast<float>(i));
    p[8] += 5.0f;
    p[16] -= 5.0f;
    p[24] += 3.0f;
    Chart c(0);
    c.set_bars(day_bars(p));
    c.series(p, 0);
    c.p2 = {5.0f};
    EXPECT_EQ(TLineS(&c.ci()), 0);
    EXPECT_EQ(labels(c), (std::map<int, float>{{0, -1}, {8, 2}, {16, -2}, {24, 1}}));
}

TEST(LinesTlineNear, NumbersMergedExtremesFromTheLastBarBack) {
    Chart c = three_levels();
    EXPECT_EQ(TlineNear(&c.ci()), 0);
    EXPECT_EQ(labels(c), (std::map<int, float>{{36, 1}, {24, 2}, {12, 3}, {7, 4}}));
    // 10.89 against 11: 1 % apart in wider precision, not in single precision,
    // where the ratio test is made: both stay.
    c = flat_with(50, 10.0f, {{12, 11.0f}, {24, 6.0f}, {36, 10.89f}});
    TlineNear(&c.ci());
    EXPECT_EQ(labels(c), (std::map<int, float>{{36, 1}, {24, 2}, {12, 3}, {7, 4}}));
    // 14.05 is within 1 % of 14: the later bar goes.
    c = flat_with(50, 10.0f, {{12, 14.0f}, {24, 6.0f}, {36, 14.05f}});
    TlineNear(&c.ci());
    EXPECT_EQ(labels(c), (std::map<int, float>{{24, 1}, {12, 2}, {7, 3}}));
}

TEST(LinesLevelStages, RunsMergeAndRanking) {
    // Runs: equal peaks keep the later; of troughs -5 and -6 (prices 5 and 6)
    // the lower price 5 stays.
    std::vector<float> r = {10, 10, -5, -6, 7};
    WorkBuffer<int> marks;
    int count = 0;
    ASSERT_TRUE(collect_marks(r.data(), 0, 5, &marks, &count));
    keep_run_extremes(r.data(), marks, &count);
    EXPECT_EQ(r, (std::vector<float>{0, 10, -5, 0, 7}));
    EXPECT_EQ(count, 3);

    // 10.05 is within 1 % of 10.00: the later one goes.
    std::vector<float> near = {10.0f, 10.05f, 10.2f};
    collect_marks(near.data(), 0, 3, &marks, &count);
    drop_near_levels(near.data(), marks, &count, 1.01f, [&](int i) { return near[i]; });
    EXPECT_EQ(near, (std::vector<float>{10.0f, 0.0f, 10.2f}));

    // Crossed three times after its anchor: dropped; twice: kept.
    std::vector<float> cross = {5, 4, 6, 4, 6, 5.5f, 4.5f};
    collect_marks(cross.data(), 0, 7, &marks, &count);
    ASSERT_TRUE(drop_crossed_levels(cross.data(), marks, &count));
    EXPECT_EQ(cross[0], 0.0f);
    EXPECT_EQ(cross[3], 4.0f);

    // Levels 9, 10, 11, 12 around reference 10: 10 counts as below.
    std::vector<float> lv = {11, 9, 12, 10, 0, -10};
    collect_marks(lv.data(), 0, 4, &marks, &count);
    LevelList list;
    ASSERT_TRUE(build_level_list(lv.data(), marks, count, &list));
    relabel_by_level(lv.data(), 0, 6, list, 10.0f);
    EXPECT_EQ(lv, (std::vector<float>{1, -2, 2, -1, 0, 0}));
}
