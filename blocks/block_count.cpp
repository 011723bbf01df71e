// Counting block records, and the bknumb export.
#include "blocks/block_count.h"

#include <climits>

#include "blocks/block_add.h"
#include "blocks/block_format.h"
#include "blocks/block_steps.h"
#include "blocks/exports.h"
#include "common/log.h"
#include "common/paths.h"
#include "common/settings.h"
#include "host/export_guard.h"

namespace {

void log_open_failure(const char* path) { log_line_str2("Sknumber_in_block 打开文件", path, "失败"); }

}  // namespace

size_t count_block_file(const char* path, char* last_code) {
    BlockFile block;
    if (!read_block(path, &block)) {
        log_open_failure(path);
        return 0;
    }
    if (block.records == 0)
        last_code[0] = '\0';
    else
        decode_block_code(block_record(block, block.records - 1), last_code);
    return block.records;
}

int Sknumber_in_block(const char* name, char* last_code) {
    char fn[kPathBytes];
    block_path_for_name(fn, sizeof fn, name);
    if (path_was_cut(fn, sizeof fn)) {  // a long name would reach another file
        log_open_failure(fn);
        return 0;
    }
    size_t n = count_block_file(fn, last_code);
    return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

// bknumb: param1 = block number (absent: block 0). The last slot gets the
// block's number of codes; returns data_count - 1, or -1 with no slot.
int unguarded::bknumb(tagCALCINFO* ci) {
    if (ci->data_count < 1) return -1;
    int b = ci->param1 ? truncate_to_int(param1_current(*ci)) : 0;
    char fn[kPathBytes];
    block_path_for_number(fn, sizeof fn, b);
    char last_code[kLastCodeBytes];
    size_t n = count_block_file(fn, last_code);
    return set_last_slot(*ci, static_cast<float>(n));
}
