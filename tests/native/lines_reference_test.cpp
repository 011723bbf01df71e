// The five trend-line formulas against a deliberately plain, slow model
// written straight from their step lists: every search rescans its window,
// every pruning stage is a pairwise loop, the level list is a plain insertion
// sort. The exports' result slots and return values must match the model
// slot for slot on many generated series.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <random>
#include <set>
#include <sstream>
#include <vector>

#include "lines/exports.h"
#include "lines/geometry.h"
#include "tests/native/lines_support.h"

namespace ref {

struct Rec {
    int n;
    const BarRecord* bars;
    int p1s;
    const float* p1;
    const float* p2;
    const float* p3;
    const float* p4;
    int period;
};

Rec from(const tagCALCINFO& ci) {
    return Rec{ci.data_count, ci.bars, ci.param1_start, ci.param1, ci.param2, ci.param3, ci.param4, ci.period};
}

int half(const Rec& r) {
    int w = static_cast<int>(r.p2[0]);
    return w < 5 ? 5 : w;
}
int first(const Rec& r) { return r.p1s >= 0 ? r.p1s : 0; }
float vpeak(const Rec& r, int i) { return r.p1s >= 0 ? r.bars[i].close : r.bars[i].high; }
float vtrough(const Rec& r, int i) { return r.p1s >= 0 ? r.bars[i].close : r.bars[i].low; }

int peak(const Rec& r, float x, int a) {
    const int w = half(r), s = first(r);
    if (a - w < r.p1s) return -1;
    int hi = a + w < r.n - 1 ? a + w : r.n - 1;
    if (hi < a - w + 3) return -1;
    auto end_of = [&](int k) { return k + w < r.n ? k + w : r.n; };
    auto argmax = [&]() {
        int best = s;
        for (int i = s; i < end_of(a); ++i)
            if (vpeak(r, i) > vpeak(r, best)) best = i;
        return best;
    };
    if (a < s + w) return argmax();
    for (int k = a; k >= s + w + 1; --k) {
        if (!(vpeak(r, k) > x)) continue;
        bool ok = true;
        for (int i = k - w; i < end_of(k); ++i)
            if (vpeak(r, i) > vpeak(r, k)) ok = false;
        if (ok) return k;
    }
    int m = argmax();
    return vpeak(r, m) > x ? m : 0;
}

int trough(const Rec& r, float x, int a) {
    const int w = half(r), s = first(r);
    if (a - w <= s) return -1;
    int hi = a + w < r.n - 1 ? a + w : r.n - 1;
    if (hi < a - w + 3) return -1;
    auto end_of = [&](int k) { return k + w < r.n ? k + w : r.n; };
    auto argmin = [&]() {
        int best = s;
        for (int i = s; i < end_of(a); ++i)
            if (vtrough(r, i) < vtrough(r, best)) best = i;
        return best;
    };
    if (a < s + w) return argmin();
    for (int k = a; k >= s + w + 1; --k) {
        if (!(x > vtrough(r, k))) continue;
        bool ok = true;
        for (int i = k - w; i < end_of(k); ++i)
            if (vtrough(r, i) < vtrough(r, k)) ok = false;
        if (ok) return k;
    }
    int m = argmin();
    return x > vtrough(r, m) ? m : 0;
}

bool local_max(const Rec& r, int k) {
    const int w = half(r);
    int lo = k - w < r.p1s ? r.p1s : k - w;
    int hi = k + w > r.n - 1 ? r.n - 1 : k + w;
    if (hi < lo + 3) return false;
    for (int j = lo; j <= hi; ++j)
        if (r.p1[j] > r.p1[k] && j != k) return false;
    return true;
}

bool local_min(const Rec& r, int k) {
    const int w = half(r);
    int lo = k - w < r.p1s ? r.p1s : k - w;
    int hi = k + w > r.n - 1 ? r.n - 1 : k + w;
    if (hi < lo + 3) return false;
    for (int j = lo; j <= hi; ++j)
        if (r.p1[j] < r.p1[k] && j != k) return false;
    return true;
}

bool between(float a, float b, float c) {
    if (c > b) return a > b && c > a;
    return a > c && b > a;
}

int count_of(const Rec& r, int least) {
    int n = static_cast<int>(r.p2[0]);
    return n < least ? least : n;
}
float ratio_of(const Rec& r) { return r.p3 ? r.p3[0] : 1.01f; }
int maxback_of(const Rec& r) { return r.p4 ? static_cast<int>(r.p4[0]) : 240; }

int tline(const Rec& r, float* res) {
    if (r.period == 2 || !r.p1 || !r.p2 || r.p1s < 0) return -1;
    const int N = count_of(r, 2);
    if (r.n < 2 * N) return -1;
    const float ratio = ratio_of(r);
    const int maxback = maxback_of(r);
    for (int i = r.p1s; i < r.n; ++i) res[i] = 0;
    const float last = r.p1[r.n - 1];
    float thr = 0;
    int count = 0, prev = -1, e = r.n - N - 1;
    std::set<int> seen;
    do {
        int idx = peak(r, thr, e);
        if (idx <= 0 || r.n - idx >= maxback) break;
        if (!seen.insert(idx).second) break;
        if (r.p1[idx] > thr * ratio) {
            ++count;
        } else if (prev > 0) {
            res[prev] = 0;
        }
        res[idx] = static_cast<float>(count);
        thr = r.p1[idx];
        e = idx - N;
        prev = idx;
    } while (last * 10 > thr);
    if (count == 0) res[0] = 1;
    return r.p1s;
}

int tline_low(const Rec& r, float* res) {
    if (!r.p1 || !r.p2 || r.p1s < 0) return -1;
    const int N = count_of(r, 5);
    if (r.n < 2 * N) return -1;
    const float ratio = ratio_of(r);
    const int maxback = maxback_of(r);
    for (int i = r.p1s; i < r.n; ++i) res[i] = 0;
    const float last = r.p1[r.n - 1];
    float thr = last;
    int count = 0, prev = -1, e = r.n - N - 1;
    do {
        int idx = trough(r, thr / ratio, e);
        if (idx <= 0 || r.n - idx >= maxback) break;
        if (thr / ratio > r.p1[idx] || (prev > 0 && prev - idx > 2 * N)) {
            ++count;
        } else if (prev > 0) {
            res[prev] = 0;
        }
        res[idx] = static_cast<float>(count);
        thr = r.p1[idx];
        e = idx - N;
        prev = idx;
    } while (last > thr);
    return count == 0 ? -1 : r.p1s;
}

// Stages 5 to 12 of the level formulas; `series` selects the TLineS forms.
int levels_tail(const Rec& r, float* res, int start, int N, float ratio, bool series) {
    const int lo = start, hi = r.n - N - 1;  // R inclusive
    // 5: runs
    for (int i = lo; i <= hi; ++i) {
        if (res[i] == 0) continue;
        for (int j = i + 1; j <= hi; ++j) {
            if (res[j] == 0) continue;
            bool same = (res[i] > 0 && res[j] > 0) || (res[i] < 0 && res[j] < 0);
            if (!same) break;
            if (res[i] > res[j]) {
                res[j] = 0;
            } else {
                res[i] = 0;
                break;
            }
        }
    }
    // 6: absolute values
    for (int i = lo; i <= hi; ++i)
        if (res[i] != 0) res[i] = std::fabs(res[i]);
    // 7: crossings
    for (int i = lo; i <= hi; ++i) {
        if (res[i] == 0) continue;
        int hits = 0;
        std::vector<int> after;
        for (int k = i + 1; k <= hi; ++k)
            if (res[k] != 0) after.push_back(k);
        for (size_t q = 0; q + 1 < after.size(); ++q) {
            if (between(res[i], res[after[q]], res[after[q + 1]])) {
                ++hits;
                if (hits > 2) {
                    res[i] = 0;
                    break;
                }
            }
        }
    }
    // 8: near-equal levels
    const float tol = ratio - 1.0f;
    for (int i = lo; i <= hi; ++i) {
        if (res[i] == 0) continue;
        for (int j = i + 1; j <= hi; ++j) {
            if (res[j] == 0) continue;
            float q = series ? r.p1[j] / r.p1[i] : res[j] / res[i];
            if (tol > std::fabs(q - 1.0f)) res[j] = 0;
        }
    }
    // 9: level list
    int M = 0;
    for (int i = lo; i <= hi; ++i)
        if (res[i] != 0) ++M;
    std::vector<float> list(static_cast<size_t>(M) + 100, 0.0f);
    int len = 0;
    for (int i = lo; i <= hi; ++i) {
        if (res[i] == 0) continue;
        int p = 0;
        while (p < len && !(list[p] > res[i])) ++p;
        for (int q = len; q > p; --q) list[q] = list[q - 1];
        list[p] = res[i];
        ++len;
    }
    // 10: reference
    const float refv = series ? r.p1[r.n - 2] : r.bars[r.n - 2].close;
    int j0 = M;
    for (int p = 0; p < M; ++p)
        if (list[p] > refv) {
            j0 = p;
            break;
        }
    // 11: relabel
    for (int i = r.n - 1; i >= start; --i) {
        if (res[i] == 0) continue;
        int p = -1;
        for (int q = 0; q < M; ++q)
            if (list[q] == res[i]) {
                p = q;
                break;
            }
        if (p < 0) res[i] = 0;
        else res[i] = static_cast<float>(p >= j0 ? p - j0 + 1 : p - j0);
    }
    return start;
}

int tline_all(const Rec& r, float* res) {
    if (!r.p4 || !r.p1 || !r.p2) return -1;
    const int start = first(r);
    const int N = count_of(r, 5);
    if (r.n < 2 * N) return -1;
    const float ratio = ratio_of(r);
    int maxback = static_cast<int>(r.p4[0]);
    if (maxback > r.n - N || maxback < N) maxback = r.n - N;
    const int sel = r.p1s < 0 ? static_cast<int>(r.p1[0]) : 0;
    for (int i = 0; i < r.n; ++i) res[i] = 0;
    int e = r.n - N - 1;
    for (;;) {
        int idx = trough(r, 20000, e);
        if (idx <= 0 || r.n - idx >= maxback) break;
        res[idx] = -(r.p1s >= 0 ? r.bars[idx].close : r.bars[idx].low);
        e = idx - N;
    }
    e = r.n - N - 1;
    for (;;) {
        int idx = peak(r, 0, e);
        if (idx <= 0 || r.n - idx >= maxback) break;
        res[idx] = sel != 0 ? r.bars[idx].high : r.bars[idx].close;
        e = idx - N;
    }
    return levels_tail(r, res, start, N, ratio, false);
}

int tline_s(const Rec& r, float* res) {
    if (r.period == 2 || !r.p1 || !r.p2 || r.p1s < 0) return -1;
    const int N = count_of(r, 5);
    if (r.n < 2 * N) return -1;
    const float ratio = ratio_of(r);
    const int maxback = maxback_of(r);
    const int start = r.p1s;
    for (int i = start; i < r.n; ++i)
        res[i] = local_max(r, i) ? r.p1[i] : local_min(r, i) ? -r.p1[i] : 0.0f;
    int e = r.n - N - 1;
    for (;;) {
        int idx = trough(r, 20000, e);
        if (idx <= 0 || r.n - idx >= maxback) break;
        res[idx] = -r.p1[idx];
        e = idx - N;
    }
    e = r.n - N - 1;
    for (;;) {
        int idx = peak(r, 0, e);
        if (idx <= 0 || r.n - idx >= maxback) break;
        res[idx] = r.p1[idx];
        e = idx - N;
    }
    levels_tail(r, res, start, N, ratio, true);
    return r.p1s;
}

int tline_near(const Rec& r, float* res) {
    if (r.period == 2 || !r.p1 || !r.p2 || r.p1s < 0) return -1;
    const int N = count_of(r, 5);
    if (r.n < 2 * N) return -1;
    const float ratio = ratio_of(r);
    const int maxback = maxback_of(r);
    const int start = r.p1s;
    for (int i = start; i < r.n; ++i) res[i] = 0;
    int count = 0;
    int e = r.n - N - 1;
    for (;;) {
        int idx = trough(r, 20000, e);
        if (idx <= 0 || r.n - idx >= maxback) break;
        res[idx] = static_cast<float>(++count);
        e = idx - N;
    }
    e = r.n - N - 1;
    for (;;) {
        int idx = peak(r, 0, e);
        if (idx <= 0 || r.n - idx >= maxback) break;
        res[idx] = static_cast<float>(++count);
        e = idx - N;
    }
    const float tol = ratio - 1.0f;
    const int hi = r.n - N - 1;
    for (int i = start; i <= hi; ++i) {
        if (res[i] == 0) continue;
        for (int j = i + 1; j <= hi; ++j)
            if (res[j] > 0 && tol > std::fabs(r.p1[j] / r.p1[i] - 1.0f)) res[j] = 0;
    }
    for (int h = r.n - N; h >= start + 2; --h) {
        if (res[h] == 0) continue;
        for (int i = start; i <= h - 2; ++i)
            if (res[i] > 0 && tol > std::fabs(r.p1[i] / r.p1[h] - 1.0f)) res[i] = 0;
    }
    int num = 0;
    for (int i = r.n - 1; i >= start; --i)
        if (res[i] > 0) res[i] = static_cast<float>(++num);
    return r.p1s;
}

}  // namespace ref

namespace {

enum class Shape { walk, flat_runs, plateaus, zeros_and_nan, integer_steps };

float rounded(float x) { return std::round(x * 100.0f) / 100.0f; }

std::vector<float> generate(std::mt19937& rng, int n, Shape shape) {
    std::uniform_real_distribution<float> step(-1.0f, 1.0f);
    std::uniform_int_distribution<int> pct(0, 99), len(2, 8), istep(-2, 2);
    std::vector<float> v;
    float x = 20.0f;
    while (static_cast<int>(v.size()) < n) {
        switch (shape) {
        case Shape::walk:
            x += step(rng);
            break;
        case Shape::flat_runs:
            if (pct(rng) < 15) x += step(rng);
            break;
        case Shape::plateaus: {
            x += step(rng) * 2.0f;
            if (x < 1.0f) x = 1.0f;
            int k = len(rng);
            for (int i = 0; i < k && static_cast<int>(v.size()) < n - 1; ++i) v.push_back(rounded(x));
            break;
        }
        case Shape::zeros_and_nan:
            x += step(rng);
            break;
        case Shape::integer_steps:
            x += static_cast<float>(istep(rng));
            break;
        }
        if (x < 1.0f) x = 1.0f;
        float value = shape == Shape::integer_steps ? x : rounded(x);
        if (shape == Shape::zeros_and_nan) {
            int p = pct(rng);
            if (p < 4) value = NAN;
            else if (p < 9) value = 0.0f;
        }
        v.push_back(value);
    }
    return v;
}

bool same_slot(float a, float b) {
    if (std::isnan(a) && std::isnan(b)) return true;
    return std::memcmp(&a, &b, sizeof a) == 0 || a == b;
}

std::string describe(const Chart& c) {
    std::ostringstream os;
    os << "n=" << c.bars.size() << " p1s=" << c.param1_start << " p1=" << (c.p1.empty() ? -999 : c.p1[0])
       << " p2=" << (c.p2.empty() ? -999 : c.p2[0]) << " p3=" << (c.p3.empty() ? -999 : c.p3[0])
       << " p4=" << (c.p4.empty() ? -999 : c.p4[0]);
    return os.str();
}

using Export = int (*)(tagCALCINFO*);
using Model = int (*)(const ref::Rec&, float*);

// Runs export and model on copies of `base`; returns whether they agree.
bool agree(const Chart& base, Export fn, Model model, const char* name, int* ran) {
    Chart got = base, want = base;
    const int r_got = fn(&got.ci());
    tagCALCINFO& wci = want.ci();
    const int r_want = model(ref::from(wci), want.result.data());
    if (r_want != -1) ++*ran;
    bool ok = r_got == r_want;
    int bad = -1;
    for (size_t i = 0; ok && i < got.result.size(); ++i)
        if (!same_slot(got.result[i], want.result[i])) {
            ok = false;
            bad = static_cast<int>(i);
        }
    if (!ok) {
        ADD_FAILURE() << name << " " << describe(base) << " returns " << r_got << " / model " << r_want
                      << (bad >= 0 ? " first differing slot " + std::to_string(bad) + ": " +
                                         std::to_string(got.result[bad]) + " / model " +
                                         std::to_string(want.result[bad])
                                   : std::string());
    }
    return ok;
}

Chart make_chart(std::mt19937& rng, int round) {
    std::uniform_int_distribution<int> pct(0, 99), p2i(0, 12);
    const Shape shape = static_cast<Shape>(round % 5);
    const int p2 = p2i(rng);
    const int N = p2 < 5 ? 5 : p2;
    int n;
    switch (pct(rng) % 4) {
    case 0: n = 2 * N - 2 + pct(rng) % 6; break;  // around the 2 x N limit
    case 1: n = 4 + pct(rng) % 40; break;
    default: n = 20 + pct(rng) * 3; break;
    }
    std::vector<float> closes = generate(rng, n, shape);
    Chart c(0);
    c.set_bars(day_bars(closes));
    for (BarRecord& b : c.bars) {
        if (pct(rng) < 60) b.high = b.close + (pct(rng) < 50 ? 0.25f : 0.5f);
        if (pct(rng) < 60) b.low = b.close - (pct(rng) < 50 ? 0.25f : 0.5f);
        if (shape == Shape::zeros_and_nan && pct(rng) < 3) b.high = NAN;
        if (shape == Shape::zeros_and_nan && pct(rng) < 3) b.low = 0.0f;
    }
    c.p2 = {static_cast<float>(p2) + (pct(rng) < 20 ? 0.6f : 0.0f)};
    const int p3 = pct(rng);
    if (p3 < 20) c.p3 = {1.05f};
    else if (p3 < 30) c.p3 = {1.001f};
    else if (p3 < 35) c.p3 = {0.95f};
    const int p4 = pct(rng);
    if (p4 < 30) c.p4 = {static_cast<float>(pct(rng) * 4)};
    else if (p4 < 40) c.p4 = {-3.0f};
    else if (p4 < 55) c.p4 = {static_cast<float>(n + pct(rng) % 20)};
    const int mode = pct(rng);
    int p1s = 0;
    const int p1s_kind = pct(rng);
    if (p1s_kind < 30) p1s = pct(rng) % (n / 2 + 1);
    else if (p1s_kind < 38) p1s = n - 1 - pct(rng) % (n < 8 ? n : 8);  // near the last bar
    if (mode < 55) c.closes_series(p1s);
    else if (mode < 80) c.series(generate(rng, n, shape), p1s);
    else c.constant(static_cast<float>(pct(rng) % 2));
    return c;
}

}  // namespace

TEST(LinesReference, ExportsMatchThePlainModelOnGeneratedSeries) {
    int ran[5] = {};
    int failures = 0;
    for (unsigned seed : {1u, 7u, 20261208u, 4242u}) {
        std::mt19937 rng(seed);
        for (int round = 0; round < 1500 && failures < 20; ++round) {
            Chart base = make_chart(rng, round);
            if (!agree(base, Tline, ref::tline, "Tline", &ran[0])) ++failures;
            if (!agree(base, TlineLow, ref::tline_low, "TlineLow", &ran[1])) ++failures;
            if (!agree(base, TlineAll, ref::tline_all, "TlineAll", &ran[2])) ++failures;
            if (!agree(base, TLineS, ref::tline_s, "TLineS", &ran[3])) ++failures;
            if (!agree(base, TlineNear, ref::tline_near, "TlineNear", &ran[4])) ++failures;
        }
    }
    for (int k = 0; k < 5; ++k) EXPECT_GT(ran[k], 500) << k;
}

TEST(LinesReference, SearchesAndWindowTestsMatchThePlainModel) {
    const float thresholds[] = {0.0f, 20000.0f, 15.0f, 20.0f, 25.0f, -1.0f, NAN};
    const float probes[] = {0.0f, 1.0f, 2.5f, 3.0f, 4.0f, 5.0f, NAN};
    std::mt19937 rng(99);
    int failures = 0;
    for (int round = 0; round < 300 && failures < 20; ++round) {
        Chart c = make_chart(rng, round);
        if (c.p1.empty() || c.bars.empty()) continue;
        tagCALCINFO& ci = c.ci();
        const ref::Rec r = ref::from(ci);
        const int n = ci.data_count;
        for (int a = -2; a < n; ++a) {
            for (float x : thresholds) {
                const int got_p = find_peak(ci, x, a), want_p = ref::peak(r, x, a);
                const int got_t = find_trough(ci, x, a), want_t = ref::trough(r, x, a);
                if (got_p != want_p || got_t != want_t) {
                    ADD_FAILURE() << describe(c) << " anchor " << a << " x " << x << ": peak " << got_p << " / "
                                  << want_p << ", trough " << got_t << " / " << want_t;
                    ++failures;
                }
            }
        }
        if (ci.param1_start >= 0) {
            for (int k = ci.param1_start; k < n; ++k) {
                if (is_local_max(ci, k) != ref::local_max(r, k) || is_local_min(ci, k) != ref::local_min(r, k)) {
                    ADD_FAILURE() << describe(c) << " window test at " << k;
                    ++failures;
                }
            }
        }
    }
    for (float a : probes)
        for (float b : probes)
            for (float cc : probes) EXPECT_EQ(between_open(a, b, cc), ref::between(a, b, cc)) << a << " " << b << " " << cc;
}

namespace {

// The record of one anchor, byte by byte.
Bytes model_record(const std::string& code, int32_t time, float price, int32_t seq, float label) {
    std::time_t t = time;
    std::tm tm{};
    localtime_r(&t, &tm);
    return tdx_line_record(code, (tm.tm_year + 1900) * 10000 + (tm.tm_mon + 1) * 100 + tm.tm_mday, price, seq,
                           label < 0 ? 255 : 65280);
}

// Whether a record is the library's own for `code`: every byte as
// tdx_line_record makes it, with one of its two colours.
bool model_is_ours(const unsigned char* r, const std::string& code) {
    int32_t date, seq, colour;
    float price;
    std::memcpy(&date, r + 25, 4), std::memcpy(&price, r + 29, 4), std::memcpy(&seq, r + 33, 4);
    std::memcpy(&colour, r + 137, 4);
    return (colour == 255 || colour == 65280) && Bytes(r, r + 298) == tdx_line_record(code, date, price, seq, colour);
}

// The file after a call: the library's own records of the security take
// this call's records in order and the surplus ones go; the rest of this
// call's records go after the last whole record (over a partial one left
// there). Every other record stays as it was.
Bytes model_file(const Bytes& file, const std::string& code, const std::vector<Bytes>& records) {
    Bytes out;
    size_t next = 0, pos = 0;
    for (; file.size() - pos >= 298; pos += 298) {
        const unsigned char* r = file.data() + pos;
        if (!model_is_ours(r, code)) out.insert(out.end(), r, r + 298);
        else if (next < records.size()) out.insert(out.end(), records[next].begin(), records[next].end()), ++next;
    }
    if (next == records.size()) out.insert(out.end(), file.begin() + static_cast<long>(pos), file.end());
    for (; next < records.size(); ++next) out.insert(out.end(), records[next].begin(), records[next].end());
    return out;
}

class LinesReferenceTdx : public TdxInstallTest {};

}  // namespace

TEST_F(LinesReferenceTdx, LineFileHoldsTheNearestModelLevels) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> pct(0, 99);
    const char* codes[] = {"600000", "000001", "00700", "SH600000"};
    int written = 0;
    for (int round = 0; round < 150; ++round) {
        Chart base = make_chart(rng, round);
        if (base.param1_start < 0) base.closes_series(0);
        if (base.p4.empty()) base.p4 = {200.0f};
        base.label = codes[pct(rng) % 4];
        // An existing file: records of this and other securities, lines the
        // user drew, sometimes a partial record at the end.
        Bytes before;
        for (int k = pct(rng) % 9; k > 0; --k) {
            const char* code = codes[pct(rng) % 4];
            Bytes r = pct(rng) < 30 ? tdx_user_lines(code)[pct(rng) % 9]
                                    : model_record(code, 0, static_cast<float>(k), k, 1.0f);
            before.insert(before.end(), r.begin(), r.end());
        }
        if (pct(rng) < 20) before.insert(before.end(), 1 + pct(rng), 0x33);
        write_bytes("tdx/T0002/line.dat", before);

        Chart got = base, want = base;
        const int r_got = TDXlineAll(&got.ci());
        const int r_want = ref::tline_all(ref::from(want.ci()), want.result.data());
        ASSERT_EQ(r_got, r_want) << describe(base);
        for (size_t i = 0; i < got.result.size(); ++i) ASSERT_TRUE(same_slot(got.result[i], want.result[i])) << i;
        if (r_want == -1) {
            EXPECT_EQ(read_bytes("tdx/T0002/line.dat"), before);
            continue;
        }
        std::vector<Bytes> records;
        for (int i = r_want; i < static_cast<int>(want.result.size()); ++i) {
            const float label = want.result[i];
            if (label != 0 && label > -4 && label < 4)
                records.push_back(model_record(base.label, base.bars[i].time, base.p1[i],
                                               static_cast<int32_t>(records.size()), label));
        }
        written += static_cast<int>(records.size());
        const Bytes expect = model_file(before, base.label, records);
        EXPECT_EQ(read_bytes("tdx/T0002/line.dat"), expect) << describe(base);
    }
    EXPECT_GT(written, 200);
}
