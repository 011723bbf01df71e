// Taking a code key out of a block file: the sequence del2blk runs (Read,
// Find, Remove). Like the add sequence it writes no log line; the caller
// reports the outcome with its own texts and result.
#pragma once

#include <cstddef>

enum class RemoveOutcome {
    missing,         // no such file; nothing created
    read_failed,     // file exists but could not be read whole
    foreign_format,  // file is of another block format; nothing written
    absent,          // key not in the block; nothing written
    removed,         // every record of the key taken out
    remove_failed,   // the rewrite failed; file unchanged
};

struct RemoveResult {
    RemoveOutcome outcome;
    size_t records_after;  // records in the block after the call (as read when nothing was written)
};

// Takes every record whose code equals `key` (at most 8 characters) out of
// the block file at `path`. Every failure is its own outcome and leaves the
// file as it was.
RemoveResult remove_from_block_file(const char* path, const char* key);
