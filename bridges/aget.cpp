// Save2Get: the in-memory route first, the data file when it cannot be taken.
#include "bridges/aget.h"

#include <string>

#include "bridges/aget_files.h"
#include "bridges/aget_memory.h"
#include "common/codes.h"
#include "common/file_name.h"
#include "common/host_file.h"
#include "common/log.h"
#include "host/export_guard.h"

int unguarded::Save2Get(tagCALCINFO* ci) {
    // Without a bar there is nothing to hand over: neither Advanced GET's
    // memory nor its data file is touched.
    if (ci->data_count < 1 || !ci->bars) return -1;
    // The security's code names GET's data and offset files: a label that
    // would lead out of GET's directory is refused before either is used.
    char skcode[sizeof(GetNames::skcode)];
    market_prefix(*ci, skcode, sizeof skcode);
    if (!is_safe_file_name(skcode)) return -1;
    if (poke_get_memory(*ci)) {
        log_line(" Save2Get - findGet OK");
        return -1;
    }
    // The data file's seventh column is parameter 1, and its bars' closes go
    // into the slots: the memory route needed neither.
    if (!ci->param1 || !ci->result) {
        log_line("Save2Get 缺少参数1,不写数据文件");
        return -1;
    }
    GetNames n;
    if (!get_names(*ci, &n)) {
        log_line("GET路径未设置");
        return -1;
    }
    std::string text;
    int first = get_data_rows(*ci, &text);
    if (!replace_file_contents(n.fn, text.data(), text.size())) {
        log_line_str("Save2Get 写文件失败", n.fn);
        return -1;
    }
    for (int i = first; i < ci->data_count; ++i) ci->result[i] = ci->bars[i].close;
    return first;
}
