// save2blk0: the add sequence with the block named by key, reported by
// return value and log line only.
#include "blocks/save2blk0.h"

#include "blocks/block_add.h"
#include "blocks/block_format.h"
#include "common/file_name.h"
#include "common/log.h"
#include "common/paths.h"
#include "common/settings.h"
#include "blocks/code_key.h"

int save2blk0(const char* code, const char* block_key, int insert_first) {
    char skcode[kCodeKeyBytes];
    if (!code || !block_key) return -1;
    if (!key_plain(code, skcode)) {
        log_line_str("save2blk0 代码过长:", code);
        return -1;
    }
    // The key is any text (an alert's name); the block it names must be one
    // file name inside the block directory.
    char datan[kNameBytes];
    block_name_for_key(datan, sizeof datan, block_key);
    if (!is_safe_file_name(datan)) {
        log_line_str2(" save2blk0 板块名不能作文件名:", block_key, datan);
        return -1;
    }
    char fn[kPathBytes];
    block_path_for_key(fn, sizeof fn, block_key);
    AddResult r = add_to_block(fn, skcode, insert_first != 0);
    switch (r.outcome) {
    case AddOutcome::created:
    case AddOutcome::recreated:
    case AddOutcome::inserted:
    case AddOutcome::appended:
        return 0;
    case AddOutcome::already_present:
        return -1;
    case AddOutcome::create_failed:
        log_line_str2(" save2blk0 重建板块失败:", skcode, fn);
        return -1;
    case AddOutcome::read_failed:
        log_line_str2(fn, skcode, "save2blk0 打开失败:");
        return -1;
    case AddOutcome::foreign_format:
        log_line_str2(fn, skcode, "save2blk0 不是大智慧6.0.3版本的板块,未改动");
        return -1;
    case AddOutcome::recreate_failed:
        log_line_str2(skcode, fn, " +NG save2blk0 重新打开失败0");
        return -1;
    case AddOutcome::insert_failed:
        log_line_str2(fn, skcode, " +NG 重建板块失败3");
        return -1;
    case AddOutcome::append_failed:
        log_line_str(fn, " save2blk 重新打开 添加失败3");
        return -1;
    }
    return -1;
}
