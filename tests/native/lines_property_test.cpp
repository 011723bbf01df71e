// A property run of the line formulas over many generated series: random
// walks, flat runs, NaN and zero prices, every parameter shape. Under the
// sanitizers any read outside the bars or parameters fails the run; the
// checks below hold for every series.
#include <algorithm>
#include <cmath>
#include <random>
#include <set>

#include "lines/exports.h"
#include "lines/geometry.h"
#include "tests/native/support.h"

namespace {

enum class Shape { walk, flat_runs, with_nan_and_zero };

std::vector<float> generate(std::mt19937& rng, int n, Shape shape) {
    std::uniform_real_distribution<float> step(-1.0f, 1.0f);
    std::uniform_int_distribution<int> pct(0, 99);
    std::vector<float> v;
    float x = 20.0f;
    for (int i = 0; i < n; ++i) {
        if (shape != Shape::flat_runs || pct(rng) < 15) x += step(rng);
        if (x < 1.0f) x = 1.0f;
        float value = std::round(x * 100.0f) / 100.0f;
        if (shape == Shape::with_nan_and_zero) {
            int p = pct(rng);
            if (p < 4) value = NAN;
            else if (p < 8) value = 0.0f;
        }
        v.push_back(value);
    }
    return v;
}

Chart make_chart(std::mt19937& rng, Shape shape) {
    std::uniform_int_distribution<int> size(1, 300), pct(0, 99);
    const int n = size(rng);
    std::vector<float> closes = generate(rng, n, shape);
    Chart c(0);
    c.set_bars(day_bars(closes));
    for (BarRecord& b : c.bars) {
        b.high = b.close + (pct(rng) < 50 ? 0.3f : 0.0f);
        b.low = b.close - (pct(rng) < 50 ? 0.3f : 0.0f);
    }
    const float p2s[] = {-1.0f, 2.0f, 3.0f, 5.0f, 5.7f, 8.0f, 12.0f};
    c.p2 = {p2s[pct(rng) % 7]};
    if (pct(rng) < 30) c.p3 = {pct(rng) < 50 ? 1.05f : 0.9f};
    if (pct(rng) < 70) c.p4 = {static_cast<float>(pct(rng) * 5 - 20)};
    const int mode = pct(rng);
    if (mode < 60) {
        c.closes_series(n > 1 && pct(rng) < 30 ? pct(rng) % (n / 2 + 1) : 0);
    } else if (mode < 80) {
        c.series(generate(rng, n, shape), n > 1 && pct(rng) < 30 ? pct(rng) % (n / 2 + 1) : 0);
    } else {
        c.constant(static_cast<float>(pct(rng) % 3));
    }
    return c;
}

bool whole(float v) { return std::floor(v) == v; }

// Slots before `start` still hold the host's fill.
bool untouched_before(const Chart& c, int start, int from = 0) {
    for (int i = from; i < start && i < static_cast<int>(c.result.size()); ++i)
        if (c.result[i] != -777.0f) return false;
    return true;
}

bool finite_positive(const std::vector<BarRecord>& bars) {
    for (const BarRecord& b : bars)
        if (!(b.close > 0.0f && std::isfinite(b.close))) return false;
    return true;
}

}  // namespace

TEST(LinesProperty, GeneratedSeriesKeepEveryFormulaInBoundsAndConsistent) {
    std::mt19937 rng(20261208);
    int ran[5] = {};
    for (int round = 0; round < 3000; ++round) {
        const Shape shape = static_cast<Shape>(round % 3);
        const Chart base = make_chart(rng, shape);
        const bool series = base.param1_start >= 0;
        const int start = series ? base.param1_start : 0;

        Chart c = base;
        int r = Tline(&c.ci());
        if (r != -1) {
            ++ran[0];
            EXPECT_EQ(r, base.param1_start);
            EXPECT_TRUE(untouched_before(c, start, 1));
            for (float v : c.result) EXPECT_TRUE(v == -777.0f || whole(v));
        }

        c = base;
        r = TlineLow(&c.ci());
        if (r != -1) {
            ++ran[1];
            EXPECT_EQ(r, base.param1_start);
            EXPECT_TRUE(untouched_before(c, start));
        } else {
            // Refused (all slots as given) or nothing counted (all cleared).
            std::set<float> seen(c.result.begin() + std::min<size_t>(start, c.result.size()), c.result.end());
            EXPECT_TRUE(seen.size() <= 1 && (seen.empty() || *seen.begin() == 0.0f || *seen.begin() == -777.0f));
        }

        c = base;
        r = TlineAll(&c.ci());
        if (r != -1) {
            ++ran[2];
            EXPECT_EQ(r, start);
            EXPECT_TRUE(untouched_before(c, 0));
            std::set<int> above, below;
            for (float v : c.result) {
                ASSERT_TRUE(whole(v));
                if (v > 0) above.insert(static_cast<int>(v));
                if (v < 0) below.insert(static_cast<int>(-v));
            }
            // With finite prices and the default ratio no two listed levels
            // are equal, so the labels run 1..k and -1..-k without gaps.
            if (finite_positive(base.bars) && base.p3.empty()) {
                EXPECT_TRUE(above.empty() || *above.rbegin() == static_cast<int>(above.size()));
                EXPECT_TRUE(below.empty() || *below.rbegin() == static_cast<int>(below.size()));
            }
        }

        c = base;
        r = TLineS(&c.ci());
        if (r != -1) {
            ++ran[3];
            EXPECT_EQ(r, base.param1_start);
            EXPECT_TRUE(untouched_before(c, start));
            for (size_t i = start; i < c.result.size(); ++i) EXPECT_TRUE(whole(c.result[i]));
        }

        c = base;
        r = TlineNear(&c.ci());
        if (r != -1) {
            ++ran[4];
            EXPECT_EQ(r, base.param1_start);
            EXPECT_TRUE(untouched_before(c, start));
            // Numbered 1..k from the last bar back.
            int expect = 0;
            for (int i = static_cast<int>(c.result.size()) - 1; i >= start; --i) {
                if (c.result[i] != 0.0f) {
                    EXPECT_EQ(c.result[i], static_cast<float>(++expect));
                }
            }
        }
    }
    for (int k = 0; k < 5; ++k) EXPECT_GT(ran[k], 300) << k;
}
