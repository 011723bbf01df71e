// almtime and ClearAlarm over the host's alert file.
#include <cstring>
#include <vector>

#include "alarms/alarm_messages.h"
#include "alarms/alert_file.h"
#include "alarms/exports.h"
#include "common/capped_read.h"
#include "common/coding.h"
#include "common/host_file.h"
#include "common/log.h"
#include "common/settings.h"
#include "host/export_guard.h"

// Time-share chart (period 1), no parameters. Puts on each alert minute of
// the chart's security the number of its alert type (the count of types
// plus one for an unknown type); other slots stay as the host gave them.
// Returns 0 when a slot was written, else -1.
int unguarded::almtime(tagCALCINFO* ci_ptr) {
    const tagCALCINFO& ci = *ci_ptr;
    if (ci.period != kPeriodTimeShare) return -1;
    if (ci.data_count == 0) {
        log_line(kMsgAlmtimeNoBars);
        return -1;
    }
    if (ci.data_count < 0 || !ci.stock_label || !ci.bars) return -1;
    char fn[kPathBytes];
    alert_file_path(fn, sizeof fn);
    std::vector<unsigned char> bytes;  // only read: a read-only file is read too
    CappedRead got = read_file_prefix(fn, kAlertReadCap, &bytes);
    if (got == CappedRead::failed) {
        log_line(kMsgAlertOpen);
        return -1;
    }
    AlertHead head;
    size_t at = 0;
    if (got != CappedRead::whole || parse_alert_head(bytes, &head, &at) != HeadRead::ok) return -1;
    size_t n = (bytes.size() - at) / kAlertRecordBytes;
    if (n > kAlertMaxRecords) n = kAlertMaxRecords;
    if (n == 0) return -1;
    char skcode[50];
    alert_code_of(ci.stock_label, skcode, sizeof skcode);
    bool written = false;
    for (size_t k = 0; k < n; ++k) {
        const unsigned char* rec = &bytes[at + k * kAlertRecordBytes];
        if (std::strncmp(reinterpret_cast<const char*>(rec), skcode, kAlertCodeChars) != 0) continue;
        int slot = alert_slot(decode_i32(rec + 16), ci.bars[0].time);
        if (slot < 0 || slot >= ci.data_count) continue;
        ci.result[slot] = static_cast<float>(alert_type_number(head, rec));
        written = true;
    }
    return written ? 0 : -1;
}

// Removes every raised alert, keeping the header, the definitions and the
// end flag byte for byte. The new content is written beside the file and
// moved over it, so a failure leaves the file as it was. 0 or -1.
int unguarded::ClearAlarm(tagCALCINFO*) {
    log_line(kMsgClearAlarm);
    char fn[kPathBytes];
    alert_file_path(fn, sizeof fn);
    std::vector<unsigned char> file;
    CappedRead read = read_file_prefix(fn, kAlertHeadMaxBytes, &file);
    if (read == CappedRead::failed) {
        log_line(kMsgAlertOpen);
        return -1;
    }
    AlertHead head;
    size_t at = 0;
    HeadRead got = read == CappedRead::whole ? parse_alert_head(file, &head, &at) : HeadRead::no_header;
    if (got == HeadRead::no_header || got == HeadRead::bad_type_count) return -1;
    log_line_int(kMsgAlertTypes, static_cast<int32_t>(head.type_count));
    // A file that ends inside its definitions cannot be rewritten without
    // losing or inventing some of them.
    if (got != HeadRead::ok) return -1;
    unsigned char bytes[sizeof(AlertHead)];
    size_t size = alert_head_bytes(head, bytes);
    if (!replace_file_contents(fn, bytes, size)) {
        log_line(kMsgAlertRewrite);
        return -1;
    }
    return 0;
}
