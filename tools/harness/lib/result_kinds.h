// How the result of each export reads best on a picture of the chart. One
// table for all 44 exports, built or not, so that a new export is drawn the
// right way as soon as it is built.
#pragma once

enum class ResultKind {
    kPeakLabels,    // small numbers on peak bars, drawn above them (Tline)
    kTroughLabels,  // small numbers on trough bars, drawn below them (TlineLow)
    kLabels,        // numbers on peaks and troughs, each placed by its bar (TlineNear, marks)
    kLevels,        // ranked labels whose anchor prices are horizontal levels (TlineAll)
    kSeries,        // a series from the returned index, drawn as a line
    kLastValue,     // one value in the last slot, shown as a caption
    kNone,          // a side effect only: the return value says it all
};

// The kind of a function's result; kNone for a name not in the export list.
ResultKind result_kind(const char* function);

// Whether the table lists the function (every export must be listed).
bool has_result_kind(const char* function);

// A short Chinese (GBK) name of the kind, for the picture's legend.
const char* result_kind_name(ResultKind kind);
