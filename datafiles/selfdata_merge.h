// The history merge of savedata: one value per day, kept in ascending order
// of day. The merge works on the whole history in memory, so a history of
// any length keeps every record when the file is rewritten.
#pragma once

#include <vector>

#include "datafiles/selfdata_format.h"

enum class MergeOutcome {
    appended,   // the day is later than the last record's: added at the end
    prepended,  // earlier than every record: added at the front
    replaced,   // a record of that day held another value: replaced in place
    inserted,   // between stored days: inserted after the last earlier one
    unchanged,  // a record of that day already holds the value: nothing to write
};

// Merges `rec` into `history` (also when it is empty: appended). Scans from
// the end backwards for the first record whose day is not later than
// rec.day, as the stored files have always been merged. Values are compared
// as floats, so a NaN is never equal and always replaces.
MergeOutcome merge_day_value(std::vector<SelfDataRecord>* history, const SelfDataRecord& rec);
