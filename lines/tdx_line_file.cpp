// The TDX line-file writer. The file is read whole, this call's records take
// the places of the library's earlier records of the security (the user's own
// drawings are left alone), and the new content replaces the file in one
// step. The log lines give the positions in the new file.
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

void append_record(std::vector<unsigned char>* out, const unsigned char* record) {
    out->insert(out->end(), record, record + kTdxRecordBytes);
}

// The line file as it is to be written. The terminal's file holds every line
// the user drew, for every security: each record stays byte for byte, except
// this library's own records of the security (tdx_record_is_ours). Those are
// replaced in order by this call's records, and those this call has no
// record for any more are dropped; the remaining new records go after the
// last whole record. Logs each step with the position in the new file.
std::vector<unsigned char> place_records(const std::vector<unsigned char>& file,
                                         const std::vector<TdxLineRecord>& records, const char* code) {
    std::vector<unsigned char> out;
    out.reserve(file.size() + records.size() * kTdxRecordBytes);
    TdxLineRecord mine;  // what every record of ours for the code holds
    encode_tdx_line(TdxLine{code, 0, 0.0f, 0, 0}, &mine);
    size_t next = 0, pos = 0;
    for (; file.size() - pos >= kTdxRecordBytes; pos += kTdxRecordBytes) {
        const unsigned char* r = file.data() + pos;
        if (!tdx_record_is_ours(r, mine)) {
            append_record(&out, r);
            continue;
        }
        const int32_t at = static_cast<int32_t>(out.size());
        if (next == records.size()) {
            log_line_int("删除多余记录 filepos=", at);
            continue;
        }
        log_line_str("查找到", code);
        log_line_int("filepos=", at + static_cast<int32_t>(kTdxRecordBytes));
        log_line_int("to filepos=", at);
        append_record(&out, records[next++].bytes);
        log_line_int("添加后的文件长度=", static_cast<int32_t>(out.size()));
    }
    // A partial record left at the end by some earlier failure stays when
    // nothing goes after it, and is written over otherwise, so the records
    // stay aligned.
    if (next == records.size()) out.insert(out.end(), file.begin() + static_cast<std::ptrdiff_t>(pos), file.end());
    for (; next < records.size(); ++next) {
        log_line("添加到文件尾");
        append_record(&out, records[next].bytes);
        log_line_int("添加后的文件长度=", static_cast<int32_t>(out.size()));
    }
    return out;
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
    // Records without a code would belong to no security of the terminal's;
    // a code longer than the record's field would name another security.
    const char* code = ci.stock_label != nullptr ? ci.stock_label : "";
    if (!code[0]) {
        log_line("TDXlineAll 无证券代码,不写画线文件");
        return -1;
    }
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

    std::vector<TdxLineRecord> records;
    for (int i = first; i < ci.data_count; ++i) {
        const float label = ci.result[i];
        if (!(label > -4.0f && label < 4.0f) || label == 0.0f) continue;
        TdxLine line = {code, local_date(ci.bars[i].time), ci.param1[i], static_cast<int32_t>(records.size()),
                        label < 0.0f ? kTdxColourAtOrBelow : kTdxColourAbove};
        records.emplace_back();
        encode_tdx_line(line, &records.back());
    }
    const std::vector<unsigned char> placed = place_records(file, records, code);
    if (placed != file && !replace_file_contents(fn, placed.data(), placed.size(), file)) {
        log_line_str("写入文件失败", fn);
        return -1;
    }
    return first;
}
