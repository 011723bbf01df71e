// del2blk: takes the chart's security out of a numbered block when a
// condition holds. With save2blk it keeps a block following a condition: a
// screening run of save2blk(X, n) and del2blk(NOT(X), n) over a market
// leaves block n holding exactly the securities whose X held.
#include "blocks/block_format.h"
#include "blocks/block_remove.h"
#include "blocks/code_key.h"
#include "blocks/condition.h"
#include "blocks/exports.h"
#include "common/log.h"
#include "common/paths.h"
#include "common/settings.h"
#include "host/export_guard.h"

namespace {

// Turns the outcome of the remove sequence into log lines and the last
// slot. A failure returns -1 and leaves the slot as it was: 0 is a block
// left empty, not a failure.
int report_removal(const tagCALCINFO& ci, const char* fn, const char* key, RemoveResult r) {
    switch (r.outcome) {
    case RemoveOutcome::missing:
        return set_last_slot(ci, 0);
    case RemoveOutcome::absent:
        return set_last_slot(ci, static_cast<float>(r.records_after));
    case RemoveOutcome::removed:
        log_line_str2(fn, key, " -OK 已移出");
        return set_last_slot(ci, static_cast<float>(r.records_after));
    case RemoveOutcome::read_failed:
        log_line_str2(fn, key, "del2blk 打开失败:");
        return -1;
    case RemoveOutcome::foreign_format:
        log_line_str2(fn, key, "del2blk 不是大智慧6.0.3版本的板块,未改动");
        return -1;
    case RemoveOutcome::remove_failed:
        log_line_str2(fn, key, " -NG del2blk 移出失败");
        return -1;
    }
    return -1;
}

}  // namespace

// del2blk: param1 = condition, param2 = block number; the key and the block
// are save2blk's (letter-aware label rule, block by number). A condition
// other than 0 takes every record of the key out of the block; the slot gets
// the block's size after the call (a missing block stays missing: 0). An
// absent, 0 or undefined condition touches nothing and gives 0 (undefined:
// with a log line). No parameter at all: -1, as this export always gave.
// Other failures: -1 with a log line, the slot untouched.
int unguarded::del2blk(tagCALCINFO* ci) {
    if (ci->data_count < 1 || (!ci->param1 && !ci->param2)) return -1;
    const char* label = ci->stock_label ? ci->stock_label : "";
    if (!ci->param1 || !condition_holds(*ci, "del2blk 条件未定义(非数值),不动板块:", label))
        return set_last_slot(*ci, 0);
    if (!ci->param2) {
        log_line("\ndel2blk 参数错误");
        return -1;
    }
    char skcode[kCodeKeyBytes];
    if (!key_letter_aware(label, skcode)) {  // save2blk never filed it
        log_line_str("del2blk 代码过长:", label);
        return -1;
    }
    char fn[kPathBytes];
    block_path_for_number(fn, sizeof fn, truncate_to_int(param_first(ci->param2)));
    return report_removal(*ci, fn, skcode, remove_from_block_file(fn, skcode));
}
