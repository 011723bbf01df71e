// The harness's picture of a chart: marks, levels and series land on the
// bars and prices they stand for, every export has a kind, texts are UTF-8.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "host/export_table.h"
#include "tools/harness/lib/chart_svg.h"
#include "tools/harness/lib/gbk_utf8.h"

namespace {

double attr(const std::string& element, const std::string& name) {
    std::smatch m;
    if (!std::regex_search(element, m, std::regex(" " + name + "=\"([-0-9.e]+)\""))) return -1e9;
    return std::stod(m[1]);
}

// The first element (to the end of its group or tag) that starts with `head`.
std::string element(const std::string& svg, const std::string& head) {
    size_t at = svg.find(head);
    if (at == std::string::npos) return "";
    size_t end = svg.find(head.rfind("<g", 0) == 0 ? "</g>" : "/>", at);
    return svg.substr(at, end - at);
}

// Price to y from two of the price ticks the picture draws.
double y_of(const std::string& svg, double price) {
    std::regex tick("class=\"tick\" data-price=\"([-0-9.e]+)\" x1=\"[-0-9.]+\" y1=\"([-0-9.]+)\"");
    std::vector<std::pair<double, double>> ticks;
    for (std::sregex_iterator it(svg.begin(), svg.end(), tick), end; it != end; ++it)
        ticks.push_back({std::stod((*it)[1]), std::stod((*it)[2])});
    if (ticks.size() < 2) return -1e9;
    auto [p0, y0] = ticks.front();
    auto [p1, y1] = ticks.back();
    return y0 + (price - p0) * (y1 - y0) / (p1 - p0);
}

// Ten day bars zigzagging between 10 and 12; the series parameter is the closes.
Chart zigzag() {
    Chart c(0);
    c.set_bars(day_bars({10, 11, 12, 11, 10, 11, 12.5f, 11, 10, 11}), 0.0f);
    c.closes_series(0);
    return c;
}

}  // namespace

TEST(ChartSvg, MarksAndLevelsSitAtTheirBarsAndPrices) {
    struct Case {
        ResultKind kind;
        const char* mark;  // element that carries the position
    };
    for (Case k : {Case{ResultKind::kPeakLabels, "<circle"}, Case{ResultKind::kLevels, "<line class=\"level\""}}) {
        Chart c = zigzag();
        c.result[2] = 2;
        c.result[6] = 1;
        c.result[8] = -1;
        std::string svg = chart_svg(c, ChartCall{"Tline", "close, 5", 0, k.kind});
        for (int bar : {2, 6, 8}) {
            std::string g = element(svg, "<g class=\"mark\" data-bar=\"" + std::to_string(bar) + "\"");
            ASSERT_FALSE(g.empty()) << bar;
            double candle_x = attr(element(svg, "<g class=\"bar\" data-bar=\"" + std::to_string(bar) + "\""), "x1");
            std::string at = g.substr(g.find(k.mark));
            double y = k.kind == ResultKind::kLevels ? attr(at, "y1") : attr(at, "cy");
            EXPECT_NEAR(y, y_of(svg, c.bars[static_cast<size_t>(bar)].close), 0.2) << bar;
            if (k.kind != ResultKind::kLevels) {
                EXPECT_NEAR(attr(at, "cx"), candle_x, 0.05) << bar;
            }
        }
        EXPECT_EQ(element(svg, "<g class=\"mark\" data-bar=\"3\"").size(), 0u);
    }
}

TEST(ChartSvg, SeriesLastValueAndFailuresAreShown) {
    Chart c = zigzag();
    for (int i = 4; i < 10; ++i) c.result[static_cast<size_t>(i)] = 11;
    std::string series = chart_svg(c, ChartCall{"ReadData", "close, 13", 4, ResultKind::kSeries});
    std::smatch m;
    ASSERT_TRUE(std::regex_search(series, m, std::regex("class=\"series\" data-from=\"4\" points=\"([^\"]*)\"")));
    std::string points = m[1];
    EXPECT_EQ(std::count(points.begin(), points.end(), ','), 6);
    EXPECT_NE(points.find("," + std::to_string(y_of(series, 11)).substr(0, 3)), std::string::npos);

    c.result[9] = 93000;
    std::string last = chart_svg(c, ChartCall{"systime", "0", 9, ResultKind::kLastValue});
    EXPECT_NE(last.find("= 93000</text>"), std::string::npos);
    std::string failed = chart_svg(c, ChartCall{"Tline", "close, 5", -1, ResultKind::kPeakLabels});
    EXPECT_EQ(failed.find("class=\"mark\""), std::string::npos);
    EXPECT_NE(failed.find("class=\"caption\""), std::string::npos);
}

TEST(ChartSvg, TextBecomesUtf8WithDatesAndTheCallInTheTitle) {
    Chart c = zigzag();
    std::string svg = gbk_to_utf8(chart_svg(c, ChartCall{"TlineAll", "close, 5, 1.01, 240", 0, ResultKind::kLevels}));
    EXPECT_NE(svg.find(u8"TARVEX@TlineAll(close, 5, 1.01, 240)    返回 0"), std::string::npos);
    EXPECT_NE(svg.find(">2024-01-02</text>"), std::string::npos);
    EXPECT_NE(svg.find(u8"日线"), std::string::npos);
    // GBK of 股 (u8 literals stay UTF-8), then a lead byte with nothing after it
    EXPECT_EQ(gbk_to_utf8("\xB9\xC9\xB9"), std::string(u8"股") + "\xEF\xBF\xBD");
}

TEST(ChartSvg, EveryExportHasAResultKind) {
    for (int i = 0; i < kExportCount; ++i) EXPECT_TRUE(has_result_kind(kExportTable[i].function)) << kExportTable[i].function;
    EXPECT_EQ(result_kind("TlineLow"), ResultKind::kTroughLabels);
    EXPECT_EQ(result_kind("ReadData"), ResultKind::kSeries);
    EXPECT_EQ(result_kind("systime"), ResultKind::kLastValue);
}
