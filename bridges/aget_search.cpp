// The address search of the Advanced GET bridge. Read one step at a time it
// costs a remote read per 8 bytes of up to 127 MiB; instead the committed
// regions are walked with VirtualQueryEx and read in large blocks, and the
// candidates are tested in this process. A failed block read falls back to
// the step-by-step reads of that block, so the answer is always the one the
// plain rule gives.
#include "bridges/aget_search.h"

#include <cstring>
#include <vector>

#include "common/codes.h"

namespace {

double double_at(const unsigned char* p) {
    double v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

struct Range {
    uint64_t from;  // first candidate
    uint64_t last;  // last candidate
    uint64_t end;   // one past the last byte any candidate reads
};

// A quick test that passes every first double prices_match could accept
// (NaN included) and turns away nearly all others, so that most candidates
// cost one multiplication.
struct QuickReject {
    bool on;
    double lo, hi;
    explicit QuickReject(float first) {
        int k = truncate_double(first * 1000.0f);
        on = k > -2000000000 && k < 2000000000;
        lo = k - 3.0;
        hi = k + 3.0;
    }
    bool rejects(const unsigned char* at) const {
        double x = double_at(at) * 1000.0;
        return on && (x <= lo || x >= hi);
    }
};

// Tests the candidates of [a, up to `limit`) that lie wholly inside the
// readable run ending at `run_end`, one block read at a time.
uint32_t scan_run(plat::Process* p, uint64_t a, uint64_t run_end, const Range& r, const RowsWanted& w,
                  std::vector<unsigned char>& buf) {
    const QuickReject quick(w.values[0]);
    while (a <= r.last && a + w.read_bytes <= run_end) {
        uint64_t block_end = a + kGetSearchBlockBytes;
        if (block_end > run_end) block_end = run_end;
        if (block_end > r.end) block_end = r.end;
        const bool whole = plat::remote_read(p, static_cast<uint32_t>(a), buf.data(), block_end - a);
        uint64_t c = a;
        for (; c <= r.last && c + w.read_bytes <= block_end; c += 8) {
            const unsigned char* at = buf.data() + (c - a);
            if (!whole) {
                if (!plat::remote_read(p, static_cast<uint32_t>(c), buf.data(), w.read_bytes)) continue;
                at = buf.data();
            }
            if (!quick.rejects(at) && rows_match(at, w)) return static_cast<uint32_t>(c);
        }
        a = c;  // the first candidate that runs past this block starts the next one
    }
    return 0;
}

}  // namespace

bool rows_match(const unsigned char* at, const RowsWanted& w) {
    for (int i = 0; i < 3; ++i)
        if (!prices_match(double_at(at + 8 * i), w.values[i])) return false;
    return !w.first_positive || double_at(at) > 0;
}

uint32_t find_rows(plat::Process* p, uint32_t from, uint32_t below, const RowsWanted& w) {
    if (from >= below || w.read_bytes < 24) return 0;
    Range r;
    r.from = from;
    r.last = from + (static_cast<uint64_t>(below) - 1 - from) / 8 * 8;
    r.end = r.last + w.read_bytes;
    std::vector<unsigned char> buf(kGetSearchBlockBytes);
    uint64_t at = from;
    plat::MemoryRegion region;
    while (at < r.end && at <= 0xFFFFFFFFull && plat::query_region(p, static_cast<uint32_t>(at), &region)) {
        uint64_t run_end = static_cast<uint64_t>(region.base) + region.size;
        if (run_end <= at) break;
        if (!region.readable) {
            at = run_end;
            continue;
        }
        // Adjacent readable regions form one run: a read across them succeeds.
        plat::MemoryRegion next;
        while (run_end < r.end && run_end <= 0xFFFFFFFFull &&
               plat::query_region(p, static_cast<uint32_t>(run_end), &next) && next.readable &&
               next.base == run_end && next.size > 0)
            run_end += next.size;
        // The first candidate at or after `at`.
        uint64_t first = at <= r.from ? r.from : r.from + (at - r.from + 7) / 8 * 8;
        if (uint32_t found = scan_run(p, first, run_end, r, w, buf)) return found;
        at = run_end;
    }
    return 0;
}

uint32_t find_rows_stepwise(plat::Process* p, uint32_t from, uint32_t below, const RowsWanted& w) {
    unsigned char buf[32];
    if (w.read_bytes < 24 || w.read_bytes > sizeof buf) return 0;
    for (uint64_t a = from; a < below; a += 8)
        if (plat::remote_read(p, static_cast<uint32_t>(a), buf, w.read_bytes) && rows_match(buf, w))
            return static_cast<uint32_t>(a);
    return 0;
}
