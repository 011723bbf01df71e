// Adding a code key to a block file: the sequence save2blk, saveInt2blk and
// save2blk0 share (Probe, then Create, or Read, Find and Insert first or
// Append). It writes no log line; each caller reports the outcome with its
// own texts and result.
#pragma once

#include <cstddef>

enum class AddOutcome {
    created,          // file was missing; created with the key
    create_failed,    // file was missing and could not be created
    read_failed,      // file exists but could not be opened for reading
    foreign_format,   // file is of another block format; nothing written
    recreated,        // file held no record; rewritten with the key
    recreate_failed,  // file held no record and could not be rewritten
    already_present,  // key found; nothing written
    inserted,         // key put before every record
    insert_failed,    // Insert first could not write; file unchanged
    appended,         // key put after the last record
    append_failed,    // Append could not write; file unchanged
};

struct AddResult {
    AddOutcome outcome;
    size_t records_read;  // n: records in the file before the call
};

// Adds `key` (at most 8 characters) to the block file at `path`, first when
// `insert_first`, else last, unless it is already there. Never fails
// silently: every failure is its own outcome and leaves the file as it was.
AddResult add_to_block(const char* path, const char* key, bool insert_first);

// Whether the path routine cut the path to fit `cap` bytes (it then names
// another file and must not be used).
bool path_was_cut(const char* path, size_t cap);
