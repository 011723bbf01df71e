// The add sequence shared by the block writers.
#include "blocks/block_add.h"

#include <cstring>

#include "blocks/block_steps.h"

AddResult add_to_block(const char* path, const char* key, bool insert_first) {
    // The read comes first and the probe only when it fails: the outcomes
    // are those of probing first, with one look at the disk fewer for a
    // block that is there.
    BlockFile block;
    if (!read_block(path, &block)) {
        if (!block_exists(path))
            return {create_block(path, key) ? AddOutcome::created : AddOutcome::create_failed, 0};
        return {AddOutcome::read_failed, 0};
    }
    // Another format's records are not this layout: adding would corrupt
    // the file, and Insert first would even replace its header.
    if (!is_host_block(block)) return {AddOutcome::foreign_format, 0};
    size_t n = block.records;
    if (n == 0) return {create_block(path, key) ? AddOutcome::recreated : AddOutcome::recreate_failed, 0};
    if (find_in_block(block, key) >= 0) return {AddOutcome::already_present, n};
    if (insert_first)
        return {insert_first_in_block(path, block, key) ? AddOutcome::inserted : AddOutcome::insert_failed, n};
    return {append_to_block(path, block, key) ? AddOutcome::appended : AddOutcome::append_failed, n};
}

bool path_was_cut(const char* path, size_t cap) { return cap == 0 || std::strlen(path) >= cap - 1; }
