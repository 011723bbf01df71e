// Peak and trough searches and window tests on small hand-made bar series.
#include <algorithm>
#include <cmath>

#include "lines/geometry.h"
#include "tests/native/support.h"

namespace {

// A chart whose bars have the given highs (lows 1 below, closes between).
Chart with_highs(const std::vector<float>& highs) {
    Chart c(0);
    c.set_bars(day_bars(highs));
    for (BarRecord& b : c.bars) {
        b.low = b.high - 1.0f;
        b.close = b.high - 0.5f;
    }
    c.p2 = {5.0f};
    c.constant(0.0f);
    return c;
}

std::vector<float> rising(int n) {
    std::vector<float> v;
    for (int i = 0; i < n; ++i) v.push_back(static_cast<float>(i + 1));
    return v;
}

}  // namespace

TEST(LinesGeometry, HalfWindowIsAtLeastFive) {
    Chart c(20);
    for (float p : {3.0f, 0.0f, -2.0f, 5.9f}) {
        c.p2 = {p};
        EXPECT_EQ(half_window(c.ci()), 5) << p;
    }
    c.p2 = {7.9f};
    EXPECT_EQ(half_window(c.ci()), 7);
}

TEST(LinesGeometry, GuardsAgainstTheStartDifferForPeaksAndTroughs) {
    Chart c(0);
    c.set_bars(day_bars(rising(30)));
    c.closes_series(2);
    c.p2 = {5.0f};
    EXPECT_EQ(find_peak(c.ci(), 0.0f, 6), -1);    // 6 - 5 < 2
    EXPECT_EQ(find_trough(c.ci(), 99.0f, 6), -1);  // 6 - 5 <= 2
    EXPECT_EQ(find_trough(c.ci(), 99.0f, 7), -1);  // 7 - 5 <= 2: equality still refuses
    EXPECT_NE(find_peak(c.ci(), 0.0f, 7), -1);
    EXPECT_NE(find_trough(c.ci(), 99.0f, 8), -1);
    // Too close to the last bar: fewer than four bars of window remain.
    Chart d(10);
    d.closes_series(0);
    d.p2 = {5.0f};
    EXPECT_EQ(find_peak(d.ci(), 0.0f, 13), -1);
}

TEST(LinesGeometry, PlateauGivesItsLatestBarAndFallbackItsEarliest) {
    std::vector<float> h(20, 1.0f);
    h[7] = 2.0f;
    h[8] = 5.0f;
    h[9] = 5.0f;
    h[10] = 3.0f;
    Chart c = with_highs(h);
    EXPECT_EQ(find_peak(c.ci(), 0.0f, 10), 9);
    // Nothing above the threshold: the fallback maximum (bar 8) fails it too.
    EXPECT_EQ(find_peak(c.ci(), 10.0f, 10), 0);
    // Troughs mirror: lows are 0 on the flat bars; the latest one of the
    // plateau in reach of the anchor wins.
    EXPECT_EQ(find_trough(c.ci(), 5.0f, 18), 18);
}

TEST(LinesGeometry, ConstantParameterSearchesHighsAndLowsEvenWhenZero) {
    std::vector<float> h(20, 1.0f);
    h[12] = 9.0f;
    Chart c = with_highs(h);
    c.bars[14].close = 50.0f;  // a close the high search must not see
    EXPECT_EQ(find_peak(c.ci(), 0.0f, 15), 12);
    c.closes_series(0);
    EXPECT_EQ(find_peak(c.ci(), 0.0f, 15), 14);
}

TEST(LinesGeometry, FallbackMayAnswerPastTheAnchorAndWindowsStopAtTheLastBar) {
    Chart c(0);
    c.set_bars(day_bars(rising(20)));
    c.closes_series(0);
    c.p2 = {5.0f};
    // No bar of a rising series is a window maximum before the end; the
    // fallback takes the greatest value below anchor + w.
    EXPECT_EQ(find_peak(c.ci(), 0.0f, 10), 14);
    EXPECT_EQ(find_peak(c.ci(), 0.0f, 17), 19);
    EXPECT_EQ(find_peak(c.ci(), 0.0f, 19), 19);
    EXPECT_EQ(find_peak(c.ci(), 20.0f, 17), 0);
    // Falling to the end: the last bar is a trough of its clipped window.
    std::vector<float> down = rising(20);
    std::reverse(down.begin(), down.end());
    c.set_bars(day_bars(down));
    c.closes_series(0);
    EXPECT_EQ(find_trough(c.ci(), 99.0f, 19), 19);
}

TEST(LinesGeometry, EarlyAnchorWithConstantTakesTheEarliestMaximumWithoutThreshold) {
    std::vector<float> h(20, 1.0f);
    h[2] = 4.0f;
    h[5] = 4.0f;
    Chart c = with_highs(h);
    c.param1_start = -3;
    // 4 - 5 >= -3 passes the guard; 4 < 0 + 5 takes the early path.
    EXPECT_EQ(find_peak(c.ci(), 100.0f, 4), 2);
}

TEST(LinesGeometry, LocalWindowsAreSymmetricAndNeedFourValues) {
    Chart c(0);
    std::vector<float> p = {5, 1, 2, 3, 4, 0, 4, 3, 2, 1, 0, 1};
    c.set_bars(day_bars(p));
    c.series(p, 0);
    c.p2 = {5.0f};
    EXPECT_TRUE(is_local_max(c.ci(), 0));   // window 0..5
    EXPECT_FALSE(is_local_max(c.ci(), 4));  // 5 at index 0 is inside 0..9
    EXPECT_TRUE(is_local_min(c.ci(), 5));   // ties with bar 10 do not disqualify
    EXPECT_TRUE(is_local_min(c.ci(), 10));
    EXPECT_FALSE(is_local_max(c.ci(), 12));  // not a bar
    c.series(p, 9);
    EXPECT_FALSE(is_local_min(c.ci(), 10));  // window 9..11: three values only
    EXPECT_FALSE(is_local_max(c.ci(), 9));
}

TEST(LinesGeometry, BetweenOpenExcludesItsBounds) {
    EXPECT_FALSE(between_open(3, 5, 3));
    EXPECT_TRUE(between_open(4, 5, 3));
    EXPECT_TRUE(between_open(4, 3, 5));
    EXPECT_FALSE(between_open(4, 4, 4));
    EXPECT_FALSE(between_open(NAN, 3, 5));
    EXPECT_FALSE(between_open(4, NAN, 5));
}
