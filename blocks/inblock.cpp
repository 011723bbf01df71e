// inblock: whether the chart's security is in a block of a given kind and
// number.
#include "blocks/block_add.h"
#include "blocks/block_format.h"
#include "blocks/block_steps.h"
#include "blocks/code_key.h"
#include "blocks/exports.h"
#include "common/log.h"
#include "common/paths.h"
#include "common/settings.h"
#include "common/text.h"
#include "host/export_guard.h"

namespace {

// Block file kinds of the membership test: 1 自选股, 2 龙头股, 3 板块.
const char* block_kind_word(int kind) {
    switch (kind) {
    case 1: return "自选股";
    case 2: return "龙头股";
    case 3: return "板块";
    default: return nullptr;
    }
}

}  // namespace

// inblock: param1 = kind 1..3, param2 = number. Reads module_dir's
// "userdata\block\" + kind word + number + ".BLK" (BLOCK_PATH is not
// consulted). The slot gets 1 when the key (SH/SZ + label) is there, else 0,
// also for a missing file. Returns -1 for missing parameters, a wrong kind,
// or a file of another block format (header word), with a log line.
int unguarded::inblock(tagCALCINFO* ci) {
    if (ci->data_count < 1) return -1;
    if (!ci->param1 || !ci->param2) {
        log_line("\nsave2blk 参数错误");
        return -1;
    }
    char skcode[kCodeKeyBytes];
    // A label too long for the code field is in no block the library writes.
    bool key_fits = key_two_markets(ci->stock_label ? ci->stock_label : "", skcode);
    const char* kind = block_kind_word(truncate_to_int(param1_current(*ci)));
    if (!kind) {
        log_line("inblock 参数1 板块类型错误");
        return -1;
    }
    char name[kDefaultNameBytes];
    copy_text(name, sizeof name, kind);
    append_int(name, sizeof name, truncate_to_int(param_first(ci->param2)));
    char fn[kPathBytes];
    block_path_for_name(fn, sizeof fn, name);
    BlockFile block;
    if (path_was_cut(fn, sizeof fn) || !read_block(fn, &block)) return set_last_slot(*ci, 0);
    // An emptied file (under 4 bytes) has no header word to judge: no records.
    if (block.bytes.size() < kBlockHeaderBytes) return set_last_slot(*ci, 0);
    if (!is_host_block(block)) {
        log_line_str("inblock error", "当前不是大智慧6.0.3版本");
        return -1;
    }
    bool found = key_fits && find_in_block(block, skcode) >= 0;
    return set_last_slot(*ci, found ? 1.0f : 0.0f);
}
