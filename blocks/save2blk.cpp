// save2blk and saveInt2blk: formula exports that put a security into a
// numbered block, and report what happened in the last result slot. Both run
// the shared add sequence and differ only in where the key comes from, one
// log text, and what the slot says after an addition.
#include <cmath>

#include "blocks/block_add.h"
#include "blocks/block_format.h"
#include "blocks/code_key.h"
#include "blocks/condition.h"
#include "blocks/exports.h"
#include "common/log.h"
#include "common/paths.h"
#include "common/settings.h"
#include "host/export_guard.h"

namespace {

// What differs between the two exports when reporting an outcome.
struct AddReport {
    const char* create_failed_text;  // logged when a missing block cannot be created
    const char* foreign_text;        // logged when the block is of another format
    bool log_created;                // save2blk logs "save2blk 重建成功"
    bool added_gives_code;           // saveInt2blk: the slot gets the code, not n + 1
    int code;
};

// Runs the add sequence for `key` on block number `b` and turns its outcome
// into log lines and the last slot. Returns data_count - 1, or -1 when the
// append failed (the slot is then left as it was).
int add_and_report(const tagCALCINFO& ci, const char* key, int b, const AddReport& how) {
    char fn[kPathBytes];
    block_path_for_number(fn, sizeof fn, b);
    bool insert_first = ci.param3 && param_first(ci.param3) > 0;
    AddResult r = add_to_block(fn, key, insert_first);
    switch (r.outcome) {
    case AddOutcome::created:
        if (how.log_created) log_line_str(fn, "save2blk 重建成功");
        log_line_str2(fn, key, " +OK 0");
        return set_last_slot(ci, 1);
    case AddOutcome::create_failed:
        log_line_str2(how.create_failed_text, key, fn);
        return set_last_slot(ci, 0);
    case AddOutcome::read_failed:
        log_line_str2(fn, key, "save2blk 打开失败:");
        return set_last_slot(ci, 0);
    case AddOutcome::foreign_format:
        log_line_str2(fn, key, how.foreign_text);
        return set_last_slot(ci, 0);
    case AddOutcome::recreated:
        return set_last_slot(ci, 1);
    case AddOutcome::recreate_failed:
        log_line_str2(key, fn, " +NG 重新打开失败0");
        return set_last_slot(ci, 0);
    case AddOutcome::already_present:
        return set_last_slot(ci, static_cast<float>(r.records_read));
    case AddOutcome::inserted:
    case AddOutcome::appended:
        return set_last_slot(ci, how.added_gives_code ? static_cast<float>(how.code)
                                                      : static_cast<float>(r.records_read + 1));
    case AddOutcome::insert_failed:
        log_line_str2(fn, key, " +NG 重建板块失败3");
        return set_last_slot(ci, 0);
    case AddOutcome::append_failed:
        log_line_str(fn, " save2blk 重新打开 添加失败3");
        return -1;
    }
    return -1;
}

}  // namespace

// save2blk: param1 = condition, param2 = block number, param3 (optional) >
// 0 = put first. A condition of 0 writes 0 and touches nothing; so does an
// undefined one (NaN, infinite), with a log line. The slot gets 1 for a new
// block, n when the security was already among n codes, n + 1 once added, 0
// on most failures (a block of another format among them); -1 for missing
// parameters or a failed append.
int unguarded::save2blk(tagCALCINFO* ci) {
    if (ci->data_count < 1) return -1;
    const char* label = ci->stock_label ? ci->stock_label : "";
    if (ci->param1 && !condition_holds(*ci, "save2blk 条件未定义(非数值),不动板块:", label))
        return set_last_slot(*ci, 0);
    if (!ci->param1 || !ci->param2) {
        log_line("\nsave2blk 参数错误");
        return -1;
    }
    char skcode[kCodeKeyBytes];
    if (!key_letter_aware(label, skcode)) {
        log_line_str("save2blk 代码过长:", label);
        return set_last_slot(*ci, 0);
    }
    int b = truncate_to_int(param_first(ci->param2));
    const AddReport how{" save2blk 重建板块失败:", "save2blk 不是大智慧6.0.3版本的板块,未改动", true, false, 0};
    return add_and_report(*ci, skcode, b, how);
}

// saveInt2blk: param1 = integer code 0..699999 (SH from 600000 on, else SZ),
// param2 = block number, param3 (optional) > 0 = put first. A code out of
// range (or not a number) writes 0 and touches nothing. Results as save2blk,
// except that an addition reports the code itself.
int unguarded::saveInt2blk(tagCALCINFO* ci) {
    if (ci->data_count < 1) return -1;
    int c = -1;
    if (ci->param1) {
        float v = param1_current(*ci);
        c = std::isnan(v) ? -1 : truncate_to_int(v);
        if (c < 0 || c > 699999) return set_last_slot(*ci, 0);
    }
    if (!ci->param1 || !ci->param2) {
        log_line("\nsaveInt2blk 参数错误");
        return -1;
    }
    char skcode[kCodeKeyBytes];
    key_integer(c, skcode);  // c is in range, so the key always fits
    int b = truncate_to_int(param_first(ci->param2));
    const AddReport how{" saveInt2blk 重建板块失败:", "saveInt2blk 不是大智慧6.0.3版本的板块,未改动", false, true, c};
    return add_and_report(*ci, skcode, b, how);
}
