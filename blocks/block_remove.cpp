// The remove sequence of del2blk.
#include "blocks/block_remove.h"

#include "blocks/block_steps.h"

RemoveResult remove_from_block_file(const char* path, const char* key) {
    BlockFile block;
    if (!read_block(path, &block))
        return {block_exists(path) ? RemoveOutcome::read_failed : RemoveOutcome::missing, 0};
    if (!is_host_block(block)) return {RemoveOutcome::foreign_format, 0};
    if (find_in_block(block, key) < 0) return {RemoveOutcome::absent, block.records};
    size_t kept = 0;
    if (!remove_from_block(path, block, key, &kept)) return {RemoveOutcome::remove_failed, block.records};
    return {RemoveOutcome::removed, kept};
}
