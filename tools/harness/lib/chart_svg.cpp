// Drawing a chart and an export's result as SVG.
#include "tools/harness/lib/chart_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// Layout, in SVG user units.
const double kWidth = 1000, kHeight = 600;
const double kLeft = 70, kRight = 840;           // plot area between the axes
const double kTags = kRight + 46;                // level names, right of the price ticks
const double kPriceTop = 78, kPriceBottom = 450;  // candles
const double kVolumeTop = 470, kVolumeBottom = 560;
const double kDatesY = 580;

const char* const kUp = "#d9363e";        // red rises, as on the host's charts
const char* const kDown = "#1a9850";
const char* const kResistance = "#1565c0";
const char* const kSupport = "#e65100";
const char* const kMarkColour = "#6a1b9a";
const char* const kSeriesColour = "#00838f";

std::string fmt(const char* f, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, f, v);
    return buf;
}
std::string num(double v) { return fmt("%.1f", v); }
std::string value_text(double v) { return fmt("%.6g", v); }

std::string escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '&') out += "&amp;";
        else if (c == '"') out += "&quot;";
        else out += c;
    }
    return out;
}

std::string text(double x, double y, const std::string& s, const std::string& attrs = "") {
    return "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\"" + (attrs.empty() ? "" : " " + attrs) + ">" +
           escape(s) + "</text>\n";
}

std::string line(double x1, double y1, double x2, double y2, const std::string& attrs) {
    return "<line x1=\"" + num(x1) + "\" y1=\"" + num(y1) + "\" x2=\"" + num(x2) + "\" y2=\"" + num(y2) +
           "\" " + attrs + "/>\n";
}

// A linear axis from lo at the bottom to hi at the top.
struct Scale {
    double lo, hi, top, bottom;
    double y(double v) const { return bottom - (v - lo) / (hi - lo) * (bottom - top); }
};

// Ticks at 1, 2 or 5 times a power of ten, about `want` of them.
double tick_step(double span, int want) {
    double raw = span / want;
    double p = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * p >= raw) return m * p;
    return 10 * p;
}

int decimals_for(double step) { return step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9)); }

Scale fit_scale(double lo, double hi, double top, double bottom) {
    if (!(hi > lo)) {
        double pad = std::fabs(lo) > 0 ? std::fabs(lo) * 0.05 : 1;
        lo -= pad;
        hi += pad;
    }
    double pad = (hi - lo) * 0.06;
    return Scale{lo - pad, hi + pad, top, bottom};
}

// Civil date of a bar, in Beijing time (day bars are stamped at the start
// of their UTC day, which is the same date there).
void civil(int64_t t, int* y, int* m, int* d, int* hh, int* mm) {
    int64_t s = t + 8 * 3600;
    int64_t days = s >= 0 ? s / 86400 : (s - 86399) / 86400;
    int64_t rem = s - days * 86400;
    *hh = static_cast<int>(rem / 3600);
    *mm = static_cast<int>(rem / 60 % 60);
    days += 719468;
    int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    int64_t doe = days - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    *y = static_cast<int>(yoe + era * 400 + (*m <= 2));
}

std::string bar_time_text(int64_t t, int period) {
    int y, m, d, hh, mm;
    civil(t, &y, &m, &d, &hh, &mm);
    char buf[40];
    if (period >= kPeriodDay || period < 1)
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
    else
        std::snprintf(buf, sizeof buf, "%02d-%02d %02d:%02d", m, d, hh, mm);
    return buf;
}

const char* period_text(int period) {
    static const char* const kNames[] = {"分时", "分笔", "1分钟", "5分钟", "15分钟",
                                         "30分钟", "60分钟", "日线", "周线", "月线"};
    return period >= 1 && period <= 10 ? kNames[period - 1] : "其他周期";
}

struct Frame {
    const Chart& chart;
    int n;
    double slot;
    double x(int i) const { return kLeft + (i + 0.5) * slot; }
};

// The price a mark or level stands for: parameter 1's value on that bar when
// it is a series (the formulas label its values), else the bar's close.
double anchor_price(const Chart& c, int i) {
    if (c.param1_start >= 0 && c.p1.size() == c.bars.size()) return c.p1[static_cast<size_t>(i)];
    return c.bars[static_cast<size_t>(i)].close;
}

// Whether bar i is a peak rather than a trough of the anchored values, by
// the bars a few places either side.
bool is_peak(const Chart& c, int i) {
    int n = static_cast<int>(c.bars.size());
    double sum = 0;
    int count = 0;
    for (int j = std::max(0, i - 3); j <= std::min(n - 1, i + 3); ++j)
        if (j != i) sum += anchor_price(c, j), ++count;
    return count == 0 || anchor_price(c, i) >= sum / count;
}

// The trend line of Tline and TlineLow as a formula draws it: through the
// anchors labelled 2 and 1, extended to the last bar. False when the result
// has no such pair.
struct TrendLine {
    int a2, a1;
    double p2, p1;
    double at(int i) const { return p1 + (p1 - p2) / (a1 - a2) * (i - a1); }
};
bool trend_line(const Chart& c, int from, TrendLine* t) {
    t->a1 = t->a2 = -1;
    for (int i = from; i < static_cast<int>(c.result.size()); ++i) {
        if (c.result[static_cast<size_t>(i)] == 1.0f) t->a1 = i;
        if (c.result[static_cast<size_t>(i)] == 2.0f) t->a2 = i;
    }
    if (t->a2 < 0 || t->a1 <= t->a2) return false;
    t->p1 = anchor_price(c, t->a1);
    t->p2 = anchor_price(c, t->a2);
    return true;
}

int first_valid(const Chart& c, int returned) {
    return std::max(0, std::min(returned, static_cast<int>(c.result.size())));
}

}  // namespace

std::string chart_svg(const Chart& c, const ChartCall& call) {
    const int n = static_cast<int>(c.bars.size());
    Frame f{c, n, (kRight - kLeft) / std::max(n, 1)};
    const bool has_result = call.returned >= 0 && call.returned < n;
    const int from = first_valid(c, call.returned);

    // The price range holds the bars and whatever the result puts on the price axis.
    double lo = 1e30, hi = -1e30, vmax = 0;
    for (const BarRecord& b : c.bars) {
        lo = std::min(lo, static_cast<double>(b.low));
        hi = std::max(hi, static_cast<double>(b.high));
        vmax = std::max(vmax, static_cast<double>(b.volume));
    }
    bool marks = call.kind == ResultKind::kPeakLabels || call.kind == ResultKind::kTroughLabels ||
                 call.kind == ResultKind::kLabels || call.kind == ResultKind::kLevels;
    if (has_result && marks)
        for (int i = from; i < n; ++i)
            if (c.result[static_cast<size_t>(i)] != 0.0f) {
                lo = std::min(lo, anchor_price(c, i));
                hi = std::max(hi, anchor_price(c, i));
            }
    if (n == 0) lo = 0, hi = 1;
    // A series far from the prices gets its own scale on the left axis.
    double slo = 1e30, shi = -1e30;
    bool series = has_result && call.kind == ResultKind::kSeries;
    for (int i = from; series && i < n; ++i) {
        slo = std::min(slo, static_cast<double>(c.result[static_cast<size_t>(i)]));
        shi = std::max(shi, static_cast<double>(c.result[static_cast<size_t>(i)]));
    }
    bool own_scale = series && (slo < lo - (hi - lo) || shi > hi + (hi - lo));
    if (series && !own_scale) lo = std::min(lo, slo), hi = std::max(hi, shi);
    Scale price = fit_scale(lo, hi, kPriceTop, kPriceBottom);
    Scale volume{0, vmax > 0 ? vmax * 1.1 : 1, kVolumeTop, kVolumeBottom};

    std::string s;
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(kWidth) + "\" height=\"" + num(kHeight) +
         "\" viewBox=\"0 0 " + num(kWidth) + " " + num(kHeight) +
         "\" font-family=\"WenQuanYi Micro Hei, Microsoft YaHei, SimHei, sans-serif\" font-size=\"12\">\n";
    s += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";

    // Title: the call and what it returned; below it the chart it ran on.
    std::string title = "TARVEX@" + call.function + "(" + call.params + ")    返回 " + std::to_string(call.returned);
    s += text(kLeft, 28, title, "font-size=\"18\" font-weight=\"bold\" fill=\"#212121\" class=\"title\"");
    std::string sub = c.label + "  " + period_text(c.period) + "  " + std::to_string(n) + " 根 K 线";
    if (n > 0) sub += "  " + bar_time_text(c.bars[0].time, c.period) + " 至 " + bar_time_text(c.bars[static_cast<size_t>(n - 1)].time, c.period);
    sub += "    结果：" + std::string(result_kind_name(call.kind));
    s += text(kLeft, 50, sub, "fill=\"#616161\"");

    // Panels and price ticks with grid lines.
    s += "<rect x=\"" + num(kLeft) + "\" y=\"" + num(kPriceTop) + "\" width=\"" + num(kRight - kLeft) +
         "\" height=\"" + num(kPriceBottom - kPriceTop) + "\" fill=\"#fafafa\" stroke=\"#9e9e9e\"/>\n";
    s += "<rect x=\"" + num(kLeft) + "\" y=\"" + num(kVolumeTop) + "\" width=\"" + num(kRight - kLeft) +
         "\" height=\"" + num(kVolumeBottom - kVolumeTop) + "\" fill=\"#fafafa\" stroke=\"#9e9e9e\"/>\n";
    double step = tick_step(price.hi - price.lo, 6);
    int dec = decimals_for(step);
    for (double p = std::ceil(price.lo / step) * step; p <= price.hi; p += step) {
        double y = price.y(p);
        s += "<line class=\"tick\" data-price=\"" + fmt("%.6g", p) + "\" x1=\"" + num(kLeft) + "\" y1=\"" + num(y) +
             "\" x2=\"" + num(kRight) + "\" y2=\"" + num(y) + "\" stroke=\"#e0e0e0\"/>\n";
        s += text(kRight + 6, y + 4, fmt(("%." + std::to_string(dec) + "f").c_str(), p), "fill=\"#424242\"");
    }
    s += text(kRight + 6, kPriceTop - 8, "价格", "fill=\"#424242\"");
    s += text(kRight + 6, kVolumeTop + 12, "成交量", "fill=\"#424242\"");
    s += text(kRight + 6, kVolumeTop + 28, value_text(volume.hi), "fill=\"#757575\" font-size=\"10\"");

    // Dates under the bars, about eight of them, with vertical grid lines.
    int every = std::max(1, (n + 7) / 8);
    for (int i = 0; i < n; i += every) {
        s += line(f.x(i), kPriceTop, f.x(i), kVolumeBottom, "stroke=\"#eeeeee\"");
        s += line(f.x(i), kVolumeBottom, f.x(i), kVolumeBottom + 5, "stroke=\"#9e9e9e\"");
        s += text(f.x(i), kDatesY, bar_time_text(c.bars[static_cast<size_t>(i)].time, c.period),
                  "text-anchor=\"middle\" fill=\"#424242\"");
    }

    // Candles and volume.
    double body = std::max(1.0, f.slot * 0.6);
    for (int i = 0; i < n; ++i) {
        const BarRecord& b = c.bars[static_cast<size_t>(i)];
        const char* colour = b.close >= b.open ? kUp : kDown;
        double top = price.y(std::max(b.open, b.close)), bottom = price.y(std::min(b.open, b.close));
        s += "<g class=\"bar\" data-bar=\"" + std::to_string(i) + "\">";
        s += line(f.x(i), price.y(b.high), f.x(i), price.y(b.low), std::string("stroke=\"") + colour + "\"");
        s += "<rect x=\"" + num(f.x(i) - body / 2) + "\" y=\"" + num(top) + "\" width=\"" + num(body) +
             "\" height=\"" + num(std::max(1.0, bottom - top)) + "\" fill=\"" + colour + "\"/>";
        s += "<rect x=\"" + num(f.x(i) - body / 2) + "\" y=\"" + num(volume.y(b.volume)) + "\" width=\"" +
             num(body) + "\" height=\"" + num(kVolumeBottom - volume.y(b.volume)) + "\" fill=\"" + colour +
             "\" fill-opacity=\"0.55\"/>";
        s += "</g>\n";
    }

    // The result.
    std::string caption;
    if (call.returned < 0) {
        caption = "返回 -1：没有有效的结果";
    } else if (!has_result && call.kind != ResultKind::kNone) {
        caption = "返回 " + std::to_string(call.returned) + "：不在 K 线范围内";
    } else if (call.kind == ResultKind::kLevels) {
        struct Tag {
            double y;
            std::string text;
            const char* colour;
        };
        std::vector<Tag> tags;
        for (int i = from; i < n; ++i) {
            float v = c.result[static_cast<size_t>(i)];
            if (v == 0.0f) continue;
            double p = anchor_price(c, i), y = price.y(p);
            const char* colour = v > 0 ? kResistance : kSupport;
            std::string tag = std::string(v > 0 ? "阻力 " : "支撑 ") + value_text(v) + "  " + fmt("%.2f", p);
            s += "<g class=\"mark\" data-bar=\"" + std::to_string(i) + "\" data-value=\"" + value_text(v) + "\">";
            s += "<line class=\"level\" data-bar=\"" + std::to_string(i) + "\" data-value=\"" + value_text(v) +
                 "\" x1=\"" + num(kLeft) + "\" y1=\"" + num(y) + "\" x2=\"" + num(kRight) + "\" y2=\"" + num(y) +
                 "\" stroke=\"" + colour + "\" stroke-width=\"1.2\" stroke-dasharray=\"6 4\"/>";
            s += line(f.x(i), y, kRight, y, std::string("stroke=\"") + colour + "\" stroke-width=\"1.6\"");
            s += "<circle cx=\"" + num(f.x(i)) + "\" cy=\"" + num(y) + "\" r=\"3.5\" fill=\"" + colour + "\"/>";
            tags.push_back({y, tag, colour});
            s += "</g>\n";
        }
        // The names of the levels beside the price axis, pushed apart where
        // levels lie close together.
        std::sort(tags.begin(), tags.end(), [](const Tag& a, const Tag& b) { return a.y < b.y; });
        for (size_t t = 1; t < tags.size(); ++t) tags[t].y = std::max(tags[t].y, tags[t - 1].y + 15);
        for (const Tag& t : tags)
            s += text(kTags, t.y + 4, t.text, std::string("font-weight=\"bold\" fill=\"") + t.colour + "\"");
    } else if (marks) {
        // Rising peaks and falling troughs are trend lines: join their anchors.
        if (call.kind != ResultKind::kLabels) {
            std::string points;
            for (int i = from; i < n; ++i)
                if (c.result[static_cast<size_t>(i)] != 0.0f)
                    points += num(f.x(i)) + "," + num(price.y(anchor_price(c, i))) + " ";
            s += "<polyline class=\"trend\" points=\"" + points + "\" fill=\"none\" stroke=\"" + kMarkColour +
                 "\" stroke-width=\"1.5\" stroke-dasharray=\"5 3\"/>\n";
        }
        // The line through anchors 2 and 1 to the last bar, and the closes
        // that cross it after anchor 1: above a line of peaks, below one of troughs.
        TrendLine t;
        if (call.kind != ResultKind::kLabels && n > 0 && trend_line(c, from, &t)) {
            const bool peaks = call.kind == ResultKind::kPeakLabels;
            s += "<line class=\"trendline\" x1=\"" + num(f.x(t.a2)) + "\" y1=\"" + num(price.y(t.p2)) + "\" x2=\"" +
                 num(f.x(n - 1)) + "\" y2=\"" + num(price.y(t.at(n - 1))) + "\" stroke=\"#f9a825\" stroke-width=\"2.5\"/>\n";
            int crossings = 0;
            for (int i = t.a1 + 1; i < n; ++i) {
                double now = c.bars[static_cast<size_t>(i)].close - t.at(i);
                double before = c.bars[static_cast<size_t>(i - 1)].close - t.at(i - 1);
                if (peaks ? !(now > 0 && before <= 0) : !(now < 0 && before >= 0)) continue;
                double y = peaks ? price.y(c.bars[static_cast<size_t>(i)].low) + 14
                                 : price.y(c.bars[static_cast<size_t>(i)].high) - 6;
                s += text(f.x(i), y, peaks ? "▲" : "▼",
                          "class=\"cross\" data-bar=\"" + std::to_string(i) +
                              "\" text-anchor=\"middle\" font-size=\"14\" fill=\"#f57f17\"");
                ++crossings;
            }
            caption = std::string("黄线：标 2、标 1 两个锚点的连线延长到最后一根；") + (peaks ? "▲ 收盘价上穿它" : "▼ 收盘价下穿它") +
                      "（" + std::to_string(crossings) + " 次）";
        }
        for (int i = from; i < n; ++i) {
            float v = c.result[static_cast<size_t>(i)];
            if (v == 0.0f) continue;
            const BarRecord& b = c.bars[static_cast<size_t>(i)];
            bool above = call.kind == ResultKind::kPeakLabels ||
                         (call.kind == ResultKind::kLabels && is_peak(c, i));
            double p = anchor_price(c, i);
            double ty = above ? price.y(std::max<double>(b.high, p)) - 10 : price.y(std::min<double>(b.low, p)) + 22;
            s += "<g class=\"mark\" data-bar=\"" + std::to_string(i) + "\" data-value=\"" + value_text(v) + "\">";
            s += "<circle cx=\"" + num(f.x(i)) + "\" cy=\"" + num(price.y(p)) + "\" r=\"4.5\" fill=\"" + kMarkColour +
                 "\" stroke=\"#ffffff\"/>";
            s += text(f.x(i), ty, value_text(v),
                      std::string("text-anchor=\"middle\" font-size=\"16\" font-weight=\"bold\" fill=\"") +
                          kMarkColour + "\" stroke=\"#ffffff\" stroke-width=\"3\" paint-order=\"stroke\"");
            s += "</g>\n";
        }
    } else if (series) {
        Scale sc = own_scale ? fit_scale(slo, shi, kPriceTop, kPriceBottom) : price;
        std::string points;
        for (int i = from; i < n; ++i)
            points += num(f.x(i)) + "," + num(sc.y(c.result[static_cast<size_t>(i)])) + " ";
        s += "<polyline class=\"series\" data-from=\"" + std::to_string(from) + "\" points=\"" + points +
             "\" fill=\"none\" stroke=\"" + kSeriesColour + "\" stroke-width=\"2\"/>\n";
        if (n - from == 1)
            s += "<circle cx=\"" + num(f.x(from)) + "\" cy=\"" + num(sc.y(c.result[static_cast<size_t>(from)])) +
                 "\" r=\"3\" fill=\"" + kSeriesColour + "\"/>\n";
        if (own_scale) {
            double st = tick_step(sc.hi - sc.lo, 6);
            int d = decimals_for(st);
            for (double p = std::ceil(sc.lo / st) * st; p <= sc.hi; p += st)
                s += text(kLeft - 6, sc.y(p) + 4, fmt(("%." + std::to_string(d) + "f").c_str(), p),
                          std::string("text-anchor=\"end\" fill=\"") + kSeriesColour + "\"");
            s += text(kLeft - 6, kPriceTop - 8, "结果", std::string("text-anchor=\"end\" fill=\"") + kSeriesColour + "\"");
        }
        caption = "结果序列自第 " + std::to_string(from) + " 根 K 线起，最后一根 = " +
                  value_text(c.result[static_cast<size_t>(n - 1)]);
    } else if (call.kind == ResultKind::kLastValue) {
        caption = "最后一根 K 线（" + bar_time_text(c.bars[static_cast<size_t>(n - 1)].time, c.period) +
                  "，虚线处）的结果 = " + value_text(c.result[static_cast<size_t>(n - 1)]);
        // The bar that holds the value: the last one.
        s += "<line class=\"last\" x1=\"" + num(f.x(n - 1)) + "\" y1=\"" + num(kPriceTop) + "\" x2=\"" +
             num(f.x(n - 1)) + "\" y2=\"" + num(kVolumeBottom) + "\" stroke=\"" + kMarkColour +
             "\" stroke-width=\"1.5\" stroke-dasharray=\"4 3\"/>\n";
    } else {
        caption = "只有返回值 " + std::to_string(call.returned) + "，不写结果序列";
    }
    if (!caption.empty()) {
        double w = 16 + 13.0 * static_cast<double>(caption.size()) * 0.62;
        s += "<rect x=\"" + num(kLeft + 10) + "\" y=\"" + num(kPriceTop + 12) + "\" width=\"" + num(w) +
             "\" height=\"28\" rx=\"4\" fill=\"#ffffff\" fill-opacity=\"0.9\" stroke=\"#bdbdbd\"/>\n";
        s += text(kLeft + 18, kPriceTop + 31, caption, "class=\"caption\" font-size=\"15\" fill=\"#212121\"");
    }
    s += "</svg>\n";
    return s;
}
