// The TDX line-file writer. The file is read whole, the records are placed in
// memory exactly where a scan of the file would place them (over the found
// record of the same security, else at the end) and the new content replaces
// the file in one step. The log lines follow the stream positions that scan
// would have.
#include "lines/tdx_line_file.h"

#include <cstring>
#include <vector>

#include "common/capped_read.h"
#include "common/host_file.h"
#include "common/log.h"
#include "common/paths.h"
#include "common/rehearsal.h"
#include "common/settings.h"
#include "common/text.h"
#include "lines/formulas.h"
#include "lines/tdx_line_format.h"
#include "platform/platform.h"

namespace {

// yyyymmdd of `time` in local calendar time; 0 when it cannot be converted.
int32_t local_date(int32_t time) {
    plat::LocalTime t{};
    if (!plat::local_time(time, &t)) return 0;
    return t.year * 10000 + t.month * 100 + t.day;
}

// The line file's content, or an empty one for a file that does not exist
// yet (created empty here so a missing directory shows now). False after
// logging when it cannot be read or created, or is over its cap.
bool load_line_file(const char* fn, std::vector<unsigned char>* bytes) {
    if (plat::file_exists(fn)) {
        CappedRead got = read_file_capped(fn, kTdxLineFileCap, bytes);
        if (got == CappedRead::whole) return true;
        if (got == CappedRead::too_large) return false;  // logged
    } else if (rehearsing()) {  // nothing is created: the rewrite after it is only logged
        bytes->clear();
        if (holding_directory_exists(fn)) return true;
    } else if (plat::File* f = plat::open_file(fn, "wb")) {
        if (plat::close_file(f)) return true;
    }
    log_line_str("打开文件失败", fn);
    return false;
}

// Places `record` into `file` as the scan from `*pos` would: over the next
// record of the same security, else after the last whole record. Logs as it
// goes and leaves `*pos` after the record.
void place_record(std::vector<unsigned char>& file, size_t* pos, const TdxLineRecord& record, const char* code) {
    bool found = false;
    while (file.size() - *pos >= kTdxRecordBytes) {
        const unsigned char* r = file.data() + *pos;
        *pos += kTdxRecordBytes;
        if (tdx_record_is_for(r, code)) {
            log_line_str("查找到", code);
            log_line_int("filepos=", static_cast<int32_t>(*pos));
            *pos -= kTdxRecordBytes;
            log_line_int("to filepos=", static_cast<int32_t>(*pos));
            found = true;
            break;
        }
    }
    // A partial record left at the end by some earlier failure is written over,
    // so the records stay aligned.
    if (!found) log_line("添加到文件尾");
    if (file.size() < *pos + kTdxRecordBytes) file.resize(*pos + kTdxRecordBytes);
    std::memcpy(file.data() + *pos, record.bytes, kTdxRecordBytes);
    *pos += kTdxRecordBytes;
    log_line_int("添加后的文件长度=", static_cast<int32_t>(*pos));
}

}  // namespace

int tdx_line_all(const tagCALCINFO& ci) {
    char title[kPathBytes];
    tdx_dir(title, sizeof title);

    const int first = bar_levels(ci);
    if (first == -1) return -1;
    // The records' prices are the parameter-1 values at the anchors; a plain
    // number has none past its first element.
    if (ci.param1_start < 0) {
        log_line("TDXlineAll 参数1必须是价格序列");
        return -1;
    }
    // A code longer than the record's field would name another security.
    const char* code = ci.stock_label != nullptr ? ci.stock_label : "";
    if (std::strlen(code) > kTdxCodeBytes) {
        log_line_str("TDXlineAll 代码过长", code);
        return -1;
    }

    char fn[kPathBytes];
    copy_text(fn, sizeof fn, title);
    if (!append_text(fn, sizeof fn, "\\T0002\\line.dat")) {
        log_line_str("打开文件失败", fn);
        return -1;
    }
    std::vector<unsigned char> file;
    if (!load_line_file(fn, &file)) return -1;
    log_line_str("打开文件成功:", fn);

    size_t pos = 0;
    int32_t seq = 0;
    for (int i = first; i < ci.data_count; ++i) {
        const float label = ci.result[i];
        if (!(label > -4.0f && label < 4.0f) || label == 0.0f) continue;
        TdxLine line = {code, local_date(ci.bars[i].time), ci.param1[i], seq++,
                        label < 0.0f ? kTdxColourAtOrBelow : kTdxColourAbove};
        TdxLineRecord record;
        encode_tdx_line(line, &record);
        place_record(file, &pos, record, code);
    }
    if (seq > 0 && !replace_file_contents(fn, file.data(), file.size())) {
        log_line_str("写入文件失败", fn);
        return -1;
    }
    return first;
}
