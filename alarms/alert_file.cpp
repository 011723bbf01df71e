// Reading the host's alert file.
#include "alarms/alert_file.h"

#include <cstring>

#include "common/coding.h"
#include "common/paths.h"
#include "common/text.h"

void alert_file_path(char* out, size_t cap) { ini_path(out, cap, "userdata\\self\\ALERT.DAT"); }

HeadRead parse_alert_head(const std::vector<unsigned char>& bytes, AlertHead* head, size_t* records_at) {
    if (bytes.size() < sizeof head->fh) return HeadRead::no_header;
    std::memcpy(head->fh, bytes.data(), sizeof head->fh);
    head->type_count = decode_u32(head->fh + 4);
    if (head->type_count == 0 || head->type_count > kAlertMaxTypes) return HeadRead::bad_type_count;
    const size_t defs = head->type_count * kAlertDefBytes;
    const size_t end = sizeof head->fh + defs + sizeof head->end_flag;
    if (bytes.size() < end) return HeadRead::incomplete;
    std::memcpy(head->alm_def, bytes.data() + sizeof head->fh, defs);
    std::memcpy(head->end_flag, bytes.data() + sizeof head->fh + defs, sizeof head->end_flag);
    *records_at = end;
    return HeadRead::ok;
}

size_t alert_head_bytes(const AlertHead& head, unsigned char* out) {
    size_t defs = head.type_count * kAlertDefBytes;
    std::memcpy(out, head.fh, sizeof head.fh);
    std::memcpy(out + sizeof head.fh, head.alm_def, defs);
    std::memcpy(out + sizeof head.fh + defs, head.end_flag, sizeof head.end_flag);
    return sizeof head.fh + defs + sizeof head.end_flag;
}

void alert_code_of(const char* label, char* out, size_t cap) {
    signed char first = static_cast<signed char>(label[0]);
    if (first >= 0x41 && first <= 0x7A) copy_text(out, cap, "");
    else if (std::strlen(label) < 6) copy_text(out, cap, "HK");
    else copy_text(out, cap, std::strcmp(label, "600000") >= 0 ? "SH" : "SZ");
    append_text(out, cap, label);
}

int alert_slot(int32_t alarm_time, int32_t bar0_time) {
    int64_t slot = (static_cast<int64_t>(alarm_time) - bar0_time) / 60 + 480;
    if (slot < 0 || slot >= 346) return -1;
    if (slot > 135) slot -= 90;
    return static_cast<int>(slot);
}

int alert_type_number(const AlertHead& head, const unsigned char* record) {
    const char* name = reinterpret_cast<const char*>(record + 28);
    uint32_t i = 0;
    for (; i < head.type_count; ++i) {
        const char* type_name = reinterpret_cast<const char*>(head.alm_def + i * kAlertDefBytes + 4);
        if (std::strncmp(type_name, name, kAlertNameBytes) == 0) break;
    }
    return static_cast<int>(i) + 1;
}
