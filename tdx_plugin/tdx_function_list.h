// The functions of TARVEX_TDX.dll, each listed once: the number a TDX formula
// calls it by, TDXDLLn(number, a, b, c); the TARVEX function whose labels it
// gives; the plain routine behind it; and what input c carries. Input a is the
// series (it stands for the closes too: the terminal hands over no bars) and
// b the window N. Numbers 1 to 5 take the look-back from c with the default
// ratio; 6 to 10 take the ratio from c with the default look-back of 240.
// The plug-in's table, the docs check and the tests all follow from this list.
//
// TDX_FUNCTION(number, name, routine, what c carries)
TDX_FUNCTION(1, Tline, peak_staircase, kLookBack)
TDX_FUNCTION(2, TlineLow, trough_staircase, kLookBack)
TDX_FUNCTION(3, TlineAll, bar_levels, kLookBack)
TDX_FUNCTION(4, TLineS, series_levels, kLookBack)
TDX_FUNCTION(5, TlineNear, near_levels, kLookBack)
TDX_FUNCTION(6, Tline, peak_staircase, kRatio)
TDX_FUNCTION(7, TlineLow, trough_staircase, kRatio)
TDX_FUNCTION(8, TlineAll, bar_levels, kRatio)
TDX_FUNCTION(9, TLineS, series_levels, kRatio)
TDX_FUNCTION(10, TlineNear, near_levels, kRatio)
