// A picture of a chart after an export ran on it: the bars as candles with
// dates and prices on the axes, volume below, and the export's result drawn
// by its kind. Portable: the harness writes it, the native tests read it.
#pragma once

#include <string>

#include "tools/harness/lib/chart.h"
#include "tools/harness/lib/result_kinds.h"

struct ChartCall {
    std::string function;  // export name
    std::string params;    // the parameters as the call gave them, e.g. "close, 5, 1.01, 240"
    int returned = -1;     // the export's return value
    ResultKind kind = ResultKind::kNone;
};

// The SVG document. Its texts come from the library's world and are GBK, as
// the labels of the picture are (this source is compiled to GBK); the caller
// turns the whole document into UTF-8, the encoding it declares.
//
// Elements carry their data for readers: each candle is <g class="bar"
// data-bar="i">, each price tick a <line class="tick" data-price="p">, each
// mark <g class="mark" data-bar="i" data-value="v"> around a <circle> at the
// anchor price, each level <line class="level" data-bar="i" data-value="v">.
std::string chart_svg(const Chart& chart, const ChartCall& call);
