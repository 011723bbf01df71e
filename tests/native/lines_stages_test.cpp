// The level stages against plain pairwise walks written straight from their
// rules, on random marks with ties, NaN, infinities, zeros and negative
// values: the sorted and counted versions must clear exactly the same marks
// and give exactly the same labels.
#include <cmath>
#include <random>

#include "lines/exports.h"
#include "lines/walk_search.h"
#include "lines/geometry.h"
#include "lines/level_stages.h"
#include "lines/single_precision.h"
#include "tests/native/support.h"

namespace {

std::vector<float> random_marks(std::mt19937& rng, int n, bool odd_values) {
    std::uniform_int_distribution<int> pct(0, 99), level(1, 40);
    std::vector<float> v;
    for (int i = 0; i < n; ++i) {
        int p = pct(rng);
        float x = 9.0f + 0.05f * static_cast<float>(level(rng));  // many within 1 % of each other
        if (p < 20) x = 0.0f;
        if (p >= 20 && p < 45) x = -x;
        if (odd_values && p >= 95) x = p == 95 ? NAN : p == 96 ? INFINITY : p == 97 ? -INFINITY : 1e-39f;
        v.push_back(x);
    }
    return v;
}

void plain_crossings(std::vector<float>& r) {
    for (size_t i = 0; i < r.size(); ++i) {
        if (r[i] == 0.0f) continue;
        int hits = 0;
        for (size_t k = i + 1; k < r.size(); ++k) {
            if (r[k] == 0.0f) continue;
            size_t l = k + 1;
            while (l < r.size() && r[l] == 0.0f) ++l;
            if (l == r.size()) break;
            if (between_open(r[i], r[k], r[l]) && ++hits > 2) {
                r[i] = 0.0f;
                break;
            }
        }
    }
}

void plain_near(std::vector<float>& r, float ratio) {
    for (size_t i = 0; i < r.size(); ++i) {
        if (r[i] == 0.0f) continue;
        for (size_t j = i + 1; j < r.size(); ++j)
            if (r[j] != 0.0f && within_ratio(ratio, r[j], r[i])) r[j] = 0.0f;
    }
}

// The list holds the marks before `listed_end`; every mark is relabelled.
void plain_rank(std::vector<float>& r, size_t listed_end, float ref) {
    std::vector<float> list;
    for (size_t i = 0; i < listed_end; ++i) {
        const float v = r[i];
        if (v == 0.0f) continue;
        size_t p = 0;
        while (p < list.size() && !(list[p] > v)) ++p;
        list.insert(list.begin() + p, v);
    }
    size_t j0 = 0;
    while (j0 < list.size() && !(list[j0] > ref)) ++j0;
    for (size_t i = r.size(); i-- > 0;) {
        if (r[i] == 0.0f) continue;
        size_t p = 0;
        while (p < list.size() && !(list[p] == r[i])) ++p;
        const int pi = static_cast<int>(p), ji = static_cast<int>(j0);
        r[i] = p == list.size() ? 0.0f : static_cast<float>(pi >= ji ? pi - ji + 1 : pi - ji);
    }
}

bool same(const std::vector<float>& a, const std::vector<float>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!(a[i] == b[i] || (std::isnan(a[i]) && std::isnan(b[i])))) return false;
    return true;
}

}  // namespace

TEST(LinesStages, CountedCrossingsNearMergeAndRankingMatchThePairwiseWalks) {
    std::mt19937 rng(7);
    const float ratios[] = {1.01f, 1.05f, 1.0f, 0.9f, 2.5f, NAN};
    for (int round = 0; round < 4000; ++round) {
        const bool odd = round % 2 == 1;
        std::vector<float> r = random_marks(rng, 1 + round % 120, odd);
        for (float& v : r) v = std::fabs(v);  // the stages after the runs see absolute values
        const int n = static_cast<int>(r.size());
        WorkBuffer<int> marks;
        int count = 0;

        std::vector<float> want = r, got = r;
        plain_crossings(want);
        ASSERT_TRUE(collect_marks(got.data(), 0, n, &marks, &count));
        ASSERT_TRUE(drop_crossed_levels(got.data(), marks, &count));
        ASSERT_TRUE(same(got, want)) << round;

        const float ratio = ratios[round % 6];
        plain_near(want, ratio);
        ASSERT_TRUE(drop_near_levels(got.data(), marks, &count, ratio, [&](int i) { return got[i]; }));
        ASSERT_TRUE(same(got, want)) << round;

        // Ranking also meets the raw signed marks of the last bars.
        std::vector<float> tail = random_marks(rng, 5, odd);
        want.insert(want.end(), tail.begin(), tail.end());
        got.insert(got.end(), tail.begin(), tail.end());
        const float ref = round % 7 == 0 ? NAN : 9.0f + 0.05f * static_cast<float>(round % 45);
        plain_rank(want, r.size(), ref);
        LevelList list;
        ASSERT_TRUE(build_level_list(got.data(), marks, count, &list));
        relabel_by_level(got.data(), 0, n + 5, list, ref);
        ASSERT_TRUE(same(got, want)) << round;
    }
}

namespace {

// TlineNear's merges as its rules state them, over the bars.
void plain_near_merges(const tagCALCINFO& ci, int start, int n, float ratio) {
    const int range_end = ci.data_count - n;
    for (int i = start; i < range_end; ++i) {
        if (ci.result[i] == 0.0f) continue;
        for (int j = i + 1; j < range_end; ++j)
            if (ci.result[j] > 0.0f && within_ratio(ratio, ci.param1[j], ci.param1[i])) ci.result[j] = 0.0f;
    }
    for (int h = ci.data_count - n; h >= start + 2; --h) {
        if (ci.result[h] == 0.0f) continue;
        for (int i = start; i <= h - 2; ++i)
            if (ci.result[i] > 0.0f && within_ratio(ratio, ci.param1[i], ci.param1[h])) ci.result[i] = 0.0f;
    }
    int k = 0;
    for (int i = ci.data_count - 1; i >= start; --i)
        if (ci.result[i] > 0.0f) ci.result[i] = static_cast<float>(++k);
}

}  // namespace

TEST(LinesStages, TlineNearMergesMatchTheBarByBarWalks) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> pct(0, 99);
    for (int round = 0; round < 1500; ++round) {
        const int n = 10 + round % 200;
        std::vector<float> closes, p1;
        float x = 20.0f;
        for (int i = 0; i < n; ++i) {
            x += 0.1f * static_cast<float>(pct(rng) % 7 - 3);
            closes.push_back(x);
            const int p = pct(rng);
            p1.push_back(p < 3 ? NAN : p < 6 ? 0.0f : p < 8 ? INFINITY : x + 0.01f * static_cast<float>(p % 5));
        }
        Chart c(0);
        c.set_bars(day_bars(closes));
        c.series(p1, round % 3 == 0 ? pct(rng) % 8 : 0);
        c.p2 = {5.0f};
        c.p3 = {round % 4 == 0 ? 1.03f : 1.01f};
        if (round % 2) c.p4 = {static_cast<float>(n)};
        ASSERT_EQ(TlineNear(&c.ci()), c.param1_start);

        // The same walks with the plain merges: number the marks the walks
        // leave (the counts do not matter to the merges) and merge bar by bar.
        Chart want = c;
        tagCALCINFO& ci = want.ci();
        const int maxback = round % 2 ? n : 240;
        for (int i = c.param1_start; i < n; ++i) ci.result[i] = 0.0f;
        float count = 0.0f;
        for (int e = n - 6;;) {
            const int idx = find_trough(ci, 20000.0f, e);
            if (idx <= 0 || n - idx >= maxback) break;
            ci.result[idx] = ++count;
            e = idx - 5;
        }
        for (int e = n - 6;;) {
            const int idx = find_peak(ci, 0.0f, e);
            if (idx <= 0 || n - idx >= maxback) break;
            ci.result[idx] = ++count;
            e = idx - 5;
        }
        plain_near_merges(ci, c.param1_start, 5, c.p3[0]);
        ASSERT_EQ(c.result, want.result) << round;
    }
}

TEST(LinesStages, RememberingSearchesAnswerExactlyAsThePlainSearches) {
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> pct(0, 99);
    const float odd[] = {NAN, INFINITY, -INFINITY, 0.0f, -0.0f};
    const float thresholds[] = {0.0f, 20000.0f, 9.0f, 11.5f, 14.0f, NAN, -INFINITY, INFINITY};
    for (int round = 0; round < 800; ++round) {
        const int n = 1 + round % 90;
        std::vector<float> closes;
        float x = 10.0f;
        for (int i = 0; i < n; ++i) {
            const int p = pct(rng);
            if (round % 3 == 0) x += 0.5f;  // steadily rising: every search falls back
            else if (p < 50) x += 0.25f * static_cast<float>(p % 5 - 2);
            closes.push_back(round % 3 == 2 && p < 6 ? odd[p % 5] : x);
        }
        Chart c(0);
        c.set_bars(day_bars(closes));
        for (BarRecord& b : c.bars) {
            b.high = b.close + static_cast<float>(pct(rng) % 3);
            b.low = b.close - static_cast<float>(pct(rng) % 3);
        }
        const int mode = pct(rng) % 3;
        if (mode == 0) c.closes_series(pct(rng) % (n / 3 + 1));
        else c.constant(1.0f);
        if (mode == 2) c.param1_start = -1 - pct(rng) % 8;
        c.p2 = {static_cast<float>(pct(rng) % 9)};
        const tagCALCINFO& ci = c.ci();
        const float t = thresholds[round % 8];
        WalkSearch peaks, troughs;
        ASSERT_TRUE(start_walk_search(ci, true, t, &peaks));
        ASSERT_TRUE(start_walk_search(ci, false, t, &troughs));
        // Anchors descending as the walks go, then in random order: what a
        // search remembers holds for any later one.
        std::vector<int> anchors;
        for (int a = n + 12; a >= -12; --a) anchors.push_back(a);
        for (int k = 0; k < 60; ++k) anchors.push_back(pct(rng) % (n + 24) - 12);
        for (int a : anchors) {
            ASSERT_EQ(walk_search(ci, &peaks, a), find_peak(ci, t, a)) << round << " " << a;
            ASSERT_EQ(walk_search(ci, &troughs, a), find_trough(ci, t, a)) << round << " " << a;
        }
    }
}
