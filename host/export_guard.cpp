// The guard and the library's entry points: every export of the list, each
// a guarded call of its routine. Nothing here throws, and nothing a routine
// throws gets past it.
#include "host/export_guard.h"

#include <algorithm>
#include <exception>
#include <new>
#include <vector>

#include "common/log.h"
#include "common/rehearsal.h"

namespace {

// Runs `body`; whatever it throws is logged for `name` and becomes -1.
template <class Body>
int catch_all(const char* name, Body body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        log_escaped_exception(name, "内存不足");
    } catch (const std::exception& e) {
        log_escaped_exception(name, e.what());
    } catch (...) {
        log_escaped_exception(name, "未知异常");
    }
    return -1;
}

}  // namespace

void log_escaped_exception(const char* name, const char* why) noexcept {
    // The log composes in fixed buffers and opens its file without throwing.
    log_line_str2(name, "异常退出:", why ? why : "");
}

int guarded_formula(const char* name, tagCALCINFO* ci, int (*routine)(tagCALCINFO*)) noexcept {
    note_running_export(name);
    return catch_all(name, [&] {
        // No slot to protect: nothing is written either way. (The exports
        // that ignore their record are also called without one.)
        if (!ci || ci->data_count < 1) return routine(ci);
        // Bars without a result series: no record the host makes. Nothing
        // acts on a record with a null field.
        if (!ci->result) {
            log_line_str(name, "无结果序列,不执行");
            return -1;
        }
        std::vector<float> slots(ci->result, ci->result + ci->data_count);
        tagCALCINFO work = *ci;
        work.result = slots.data();
        int r = routine(&work);
        std::copy(slots.begin(), slots.end(), ci->result);
        return r;
    });
}

// The entry points, one per built export of the list.
#define TARVEX_EXPORT(fn, symbol, bytes, built) TARVEX_ENTRY_##bytes##_##built(fn)
#define TARVEX_ENTRY_4_1(fn) \
    extern "C" int TARVEX_API fn(tagCALCINFO* ci) { return guarded_formula(#fn, ci, unguarded::fn); }
#define TARVEX_ENTRY_4_0(fn)
#define TARVEX_ENTRY_16_1(fn)  // savedata0, below
#define TARVEX_ENTRY_16_0(fn)
#include "host/export_list.h"
#undef TARVEX_EXPORT

extern "C" int TARVEX_API savedata0(char* name, long time, char* code, float value) {
    note_running_export("savedata0");
    return catch_all("savedata0", [&] { return unguarded::savedata0(name, time, code, value); });
}
