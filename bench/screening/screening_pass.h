// The host's screening run (选股): one formula evaluated over every security
// of the market, each call with that security's own bars. This pass calls
// inblock, save2blk, savedata, ReadData, LableGet, TlineAll and Tline for
// every security, times each call, and beside each file export does the file
// I/O that export cannot avoid on the same file, so the report can say what
// the library adds to it. The same pass runs natively (the portable build)
// and in a 32-bit program under Wine (the real DLL).
#pragma once

#include <string>

#include "host/formula_call.h"

struct ScreeningExports {
    FormulaCall inblock, save2blk, savedata, ReadData, LableGet, TlineAll, Tline;
};

struct ScreeningSetup {
    std::string host;   // module_dir of the library, ending in a separator
    char separator;     // '\\' on Windows, '/' natively
    int securities;     // 5 000 for a market
    std::string where;  // names the build in the report
    bool flush;         // whether the library's writes reach the disk (and so the bare ones)
};

// Builds the host tree below `host`: the block, every security's self-data
// history, the security-information files, and copies of the block and the
// histories for the bare I/O. False when a file cannot be written.
bool build_screening_market(const ScreeningSetup& setup);

// On the tree built, with what it holds on the disk: runs the day's first
// screening pass and the same pass again, then ReadData on 4 000 records,
// and prints the report with digests of every result, every file the
// exports wrote and the log (the same digests mean the same results and
// bytes). Returns 0, or 1 when an export gave an answer that the files it
// read do not allow.
int run_screening(const ScreeningExports& exports, const ScreeningSetup& setup);
