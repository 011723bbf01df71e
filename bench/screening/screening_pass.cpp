// The screening pass and its report. Everything here is plain C and C++
// runtime, so the same pass runs natively and under Wine; only the flushed
// rename of the bare write differs by platform.
#include "bench/screening/screening_pass.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using Bytes = std::vector<unsigned char>;

const int kBars = 500;
const int kBlock = 3;        // save2blk and inblock (kind 1) both reach 自选股3.BLK
const float kDataNumber = 11;  // savedata keeps a dated history from 11 on
const int32_t kFirstDay = 1704153600;  // 2024-01-02 00:00 UTC
const int kSaveEvery = 10;   // save2blk's condition holds for one security in ten
const int kReadLimitRecords = 4000;
// The security of the ReadData case at that limit, outside the market's codes.
const int kLimitSecurity = 999999;
const char kLimitCode[] = "688001";

// The host's security-information files: a record count at 8, records at a
// base and a stride, the code at the start of each and the label byte at 271.
struct InfoFile {
    const char* market;
    const char* name;
    size_t base, stride;
};
const InfoFile kInfo70 = {"SH", "STKINFO70.DAT", 17574, 320};
const InfoFile kInfo60 = {"SZ", "STKINFO60.DAT", 11259470, 273};
const size_t kInfoRecordRead = 272;

// ---- files, the way any program would handle them ----

std::string g_host;
char g_sep = '/';
bool g_flush = true;

std::string at(const std::string& rel) {
    std::string p = g_host + rel;
    for (char& c : p)
        if (c == '/' || c == '\\') c = g_sep;
    return p;
}

void make_dir(const std::string& rel) {
#ifdef _WIN32
    _mkdir(at(rel).c_str());
#else
    mkdir(at(rel).c_str(), 0755);
#endif
}

bool put_file(const std::string& path, const Bytes& b) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
    return std::fclose(f) == 0 && ok;
}

// The whole file: one open, reads into a buffer kept from call to call, one
// close. The least any reader of a whole file does.
bool bare_read(const std::string& path, Bytes* out) {
    static Bytes buffer(1 << 16);
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    size_t have = 0;
    for (;;) {
        size_t want = buffer.size() - have, n = std::fread(buffer.data() + have, 1, want, f);
        have += n;
        if (n < want) break;
        buffer.resize(buffer.size() * 2);
    }
    std::fclose(f);
    out->assign(buffer.begin(), buffer.begin() + static_cast<long>(have));
    return true;
}

// The cheapest write of a whole file that leaves the old or the new content
// at every moment, as the exports must: the new bytes beside the file,
// flushed to the disk, then moved over it in one step.
bool bare_durable_write(const std::string& path, const Bytes& b) {
    std::string side = path + ".new";
    FILE* f = std::fopen(side.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size() && std::fflush(f) == 0;
#ifdef _WIN32
    ok = ok && (!g_flush || _commit(_fileno(f)) == 0);
    ok = std::fclose(f) == 0 && ok;
    return ok && MoveFileExA(side.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
#else
    ok = ok && (!g_flush || fsync(fileno(f)) == 0);
    ok = std::fclose(f) == 0 && ok;
    return ok && std::rename(side.c_str(), path.c_str()) == 0;
#endif
}

// One record of a file: open, seek, read, close.
bool bare_record(const std::string& path, size_t offset, size_t bytes) {
    char record[kInfoRecordRead];
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    bool ok = std::fseek(f, static_cast<long>(offset), SEEK_SET) == 0 && std::fread(record, 1, bytes, f) == bytes;
    std::fclose(f);
    return ok;
}

// ---- the market ----

void put_i32(Bytes* b, size_t at, int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) (*b)[at + i] = static_cast<unsigned char>(u >> (8 * i));
}

void put_f32(Bytes* b, size_t at, float v) {
    int32_t i;
    std::memcpy(&i, &v, sizeof i);
    put_i32(b, at, i);
}

std::string code_of(int i) {
    char s[16];
    std::snprintf(s, sizeof s, "%06d", 600000 + i);
    return s;
}
// The Shenzhen security whose record LableGet finds in the older file.
std::string older_code_of(int i) {
    char s[16];
    std::snprintf(s, sizeof s, "%06d", 1 + i);
    return s;
}
signed char label_byte(int i) { return static_cast<signed char>((i * 7) % 256 - 128); }

std::string history_rel(const std::string& code) { return "userdata/SelfData/DATA11/SH" + code + ".dat"; }
const char kBlockRel[] = "userdata/block/自选股3.BLK";
// The bare I/O works on copies of the block and of every history, in the same
// kind of directory and through the same changes, so that it meets the disk
// and the system's caches as the exports do.
std::string bare_history_rel(const std::string& code) { return "userdata/SelfData/BARE11/SH" + code + ".dat"; }
const char kBareBlockRel[] = "userdata/block/bare3.BLK";

struct Rng {
    uint32_t s;
    float next() {  // 0 .. 1
        s ^= s << 13, s ^= s >> 17, s ^= s << 5;
        return static_cast<float>(s % 100000) / 100000.0f;
    }
};

// A security's own day bars: a random walk from its own seed.
std::vector<BarRecord> bars_of(int i, int n) {
    Rng r{2654435761u * static_cast<uint32_t>(i + 1)};
    std::vector<BarRecord> bars(static_cast<size_t>(n));
    float close = 5.0f + 20.0f * r.next();
    for (int k = 0; k < n; ++k) {
        BarRecord& b = bars[static_cast<size_t>(k)];
        b.time = kFirstDay + 86400 * k;
        b.open = close;
        close *= 0.97f + 0.06f * r.next();
        b.close = close;
        b.high = std::max(b.open, close) * (1.0f + 0.02f * r.next());
        b.low = std::min(b.open, close) * (1.0f - 0.02f * r.next());
        b.volume = 1000.0f + 100000.0f * r.next();
        b.amount = b.volume * close;
        b.extra = 0;
    }
    return bars;
}

// The history as savedata left it the day before: one record for every bar
// but the last.
Bytes history_bytes(const std::vector<BarRecord>& bars, size_t records) {
    Bytes b(records * 8);
    for (size_t k = 0; k < records; ++k) {
        put_i32(&b, 8 * k, bars[k].time);
        put_f32(&b, 8 * k + 4, bars[k].close * 0.5f);
    }
    return b;
}

Bytes info_bytes(const InfoFile& layout, int count, std::string (*code)(int)) {
    Bytes b(layout.base + static_cast<size_t>(count) * layout.stride, 0);
    put_i32(&b, 8, count);
    for (int i = 0; i < count; ++i) {
        unsigned char* r = b.data() + layout.base + static_cast<size_t>(i) * layout.stride;
        std::string c = code(i);
        std::memcpy(r, c.c_str(), c.size() + 1);
        r[271] = static_cast<unsigned char>(label_byte(i));
    }
    return b;
}

bool build_market(int securities) {
    for (const char* d : {"userdata", "userdata/block", "userdata/self", "userdata/SelfData", "userdata/SelfData/DATA11",
                          "userdata/SelfData/BARE11", "data", "data/SH", "data/SZ"})
        make_dir(d);
    Bytes header = {0xA5, 0x00, 0x51, 0xFF};
    bool ok = put_file(at(kBlockRel), header) && put_file(at(kBareBlockRel), header);
    for (int i = 0; i < securities && ok; ++i) {
        Bytes h = history_bytes(bars_of(i, kBars), kBars - 1);
        ok = put_file(at(history_rel(code_of(i))), h) && put_file(at(bare_history_rel(code_of(i))), h);
    }
    ok = ok && put_file(at(history_rel(kLimitCode)), history_bytes(bars_of(kLimitSecurity, kReadLimitRecords), kReadLimitRecords));
    ok = ok && put_file(at("data/SH/STKINFO70.DAT"), info_bytes(kInfo70, securities, code_of));
    // No STKINFO70.DAT for Shenzhen: LableGet falls back to the older file.
    ok = ok && put_file(at("data/SZ/STKINFO60.DAT"), info_bytes(kInfo60, securities, older_code_of));
    return ok;
}

// ---- the call records ----

struct Call {
    std::vector<float> p1, p2, p3, p4;
    int32_t p1_start = -1;
};

tagCALCINFO record(const std::string& label, std::vector<BarRecord>& bars, const Call& c, std::vector<float>& result) {
    tagCALCINFO ci{};
    ci.stock_label = label.c_str();
    ci.data_count = static_cast<int32_t>(bars.size());
    ci.bars = bars.data();
    ci.param1_start = c.p1_start;
    ci.param1 = c.p1.empty() ? nullptr : c.p1.data();
    ci.param2 = c.p2.empty() ? nullptr : c.p2.data();
    ci.param3 = c.p3.empty() ? nullptr : c.p3.data();
    ci.param4 = c.p4.empty() ? nullptr : c.p4.data();
    result.assign(bars.size(), -777.0f);
    ci.result = result.data();
    ci.period = kPeriodDay;
    return ci;
}

std::vector<float> closes(const std::vector<BarRecord>& bars) {
    std::vector<float> c;
    for (const BarRecord& b : bars) c.push_back(b.close);
    return c;
}

// ---- measuring ----

// Microseconds from a fixed start; on Windows from the performance counter
// itself, finer than the runtime's steady clock there.
double now_us() {
#ifdef _WIN32
    static LARGE_INTEGER frequency;
    if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
#else
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now().time_since_epoch()).count();
#endif
}

struct Digest {
    uint64_t h = 1469598103934665603ull;
    void add(const void* p, size_t n) {
        const unsigned char* b = static_cast<const unsigned char*>(p);
        for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
    }
    void add_int(int32_t v) { add(&v, sizeof v); }
};

// One row of the report: every call's cost and, for a file export, the cost
// of its bare I/O measured right after it.
struct Row {
    const char* name;
    std::vector<double> ex, bare;
};

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Median of the last tenth of the calls over that of the first tenth.
double tenths(const std::vector<double>& v) {
    size_t k = std::max<size_t>(1, v.size() / 10);
    if (v.size() < 2 * k) return 0;
    std::vector<double> first(v.begin(), v.begin() + static_cast<long>(k)), last(v.end() - static_cast<long>(k), v.end());
    return median(last) / median(first);
}

double sum(const std::vector<double>& v) {
    double s = 0;
    for (double x : v) s += x;
    return s;
}

void print_rows(const std::vector<Row>& rows) {
    std::printf("  %-14s %6s %10s %10s %7s %10s %10s %10s\n", "export", "calls", "median_us", "bare_us", "ratio",
                "last/first", "bare l/f", "total_ms");
    double all = 0, all_bare = 0;
    for (const Row& r : rows) {
        double m = median(r.ex), t = sum(r.ex);
        all += t;
        all_bare += sum(r.bare);
        if (r.bare.empty())
            std::printf("  %-14s %6zu %10.1f %10s %7s %10.2f %10s %10.1f\n", r.name, r.ex.size(), m, "-", "-",
                        tenths(r.ex), "-", t / 1000);
        else
            std::printf("  %-14s %6zu %10.1f %10.1f %7.2f %10.2f %10.2f %10.1f\n", r.name, r.ex.size(), m,
                        median(r.bare), m / median(r.bare), tenths(r.ex), tenths(r.bare), t / 1000);
    }
    std::printf("  pass: %.2f s in the exports (their bare I/O: %.2f s)\n", all / 1e6, all_bare / 1e6);
}

struct Pass {
    Row inblock{"inblock", {}, {}}, save_true{"save2blk", {}, {}}, save_false{"save2blk (0)", {}, {}},
        savedata{"savedata", {}, {}}, readdata{"ReadData", {}, {}}, label70{"LableGet 70", {}, {}},
        label60{"LableGet 60", {}, {}}, tlineall{"TlineAll", {}, {}}, tline{"Tline", {}, {}};
};

int g_wrong = 0;
void expect(bool ok, const char* what, int i) {
    if (!ok && g_wrong++ < 10) std::printf("  WRONG: %s for security %d\n", what, i);
}

// The pass over every security, as the host runs one screening formula.
// `again`: the same run repeated the same day (nothing new to store).
void screen(const ScreeningExports& x, int securities, bool again, Digest* digest, Pass* p) {
    const std::string block = at(kBlockRel), bare_block = at(kBareBlockRel);
    const std::string info70 = at("data/SH/STKINFO70.DAT"), info60 = at("data/SZ/STKINFO60.DAT"),
                      info70_sz = at("data/SZ/STKINFO70.DAT");
    std::vector<float> result;
    Bytes bytes;
    int added = 0;
    for (int i = 0; i < securities; ++i) {
        std::vector<BarRecord> bars = bars_of(i, kBars);
        const std::vector<float> c = closes(bars);
        const std::string code = code_of(i), older_code = older_code_of(i), history = at(history_rel(code)),
                          bare_history = at(bare_history_rel(code));
        const bool chosen = i % kSaveEvery == 0;
        const int last = kBars - 1;
        // Whichever of the two goes first meets colder caches: they take
        // turns, security by security.
        const bool bare_first = i % 2 == 0;
        // Times the export on the call record and the bare I/O in turn; the
        // export's return value and result go into the digest.
        auto pair = [&](FormulaCall fn, const std::string& label, const Call& call, Row* row, auto io) {
            tagCALCINFO ci = record(label, bars, call, result);
            auto bare = [&] {
                double t0 = now_us();
                io();
                row->bare.push_back(now_us() - t0);
            };
            if (bare_first) bare();
            double t0 = now_us();
            int r = fn(&ci);
            row->ex.push_back(now_us() - t0);
            if (!bare_first) bare();
            digest->add_int(r);
            digest->add(result.data(), result.size() * sizeof(float));
            return r;
        };
        // The bare rewrite: the copy read, the new content made from it as
        // the export makes it, written flushed and moved into place.
        auto bare_append = [&](const std::string& copy, const Bytes& tail) {
            bare_read(copy, &bytes);
            if (again) return;
            bytes.insert(bytes.end(), tail.begin(), tail.end());
            bare_durable_write(copy, bytes);
        };
        auto same_files = [](const std::string& a, const std::string& b) {
            Bytes x, y;
            return bare_read(a, &x) && bare_read(b, &y) && x == y;
        };

        pair(x.inblock, code, Call{{1}, {kBlock}, {}, {}}, &p->inblock, [&] { bare_read(bare_block, &bytes); });
        expect(result[last] == (again && chosen ? 1.0f : 0.0f), "inblock", i);

        if (chosen) {
            Bytes record(12, 0);
            std::memcpy(record.data(), ("SH" + code).c_str(), 8);
            pair(x.save2blk, code, Call{{1}, {kBlock}, {}, {}}, &p->save_true, [&] { bare_append(bare_block, record); });
            expect(result[last] == (again ? securities / kSaveEvery + (securities % kSaveEvery != 0) : ++added),
                   "save2blk", i);
            expect(same_files(block, bare_block), "the block save2blk wrote", i);
        } else {
            pair(x.save2blk, code, Call{{0}, {kBlock}, {}, {}}, &p->save_false, [] {});
            p->save_false.bare.clear();
        }

        Bytes day(8);
        put_i32(&day, 0, bars[last].time);
        put_f32(&day, 4, c[last]);
        int r = pair(x.savedata, code, Call{c, {kDataNumber}, {}, {}, 0}, &p->savedata,
                     [&] { bare_append(bare_history, day); });
        expect(r == 0, "savedata", i);  // appended after 499 records on 500 bars, or unchanged
        expect(same_files(history, bare_history), "the history savedata wrote", i);

        r = pair(x.ReadData, code, Call{c, {kDataNumber}, {}, {}, 0}, &p->readdata,
                 [&] { bare_read(bare_history, &bytes); });
        expect(r == 0 && result[last] == c[last], "ReadData", i);

        pair(x.LableGet, code, Call{}, &p->label70, [&] {
            bare_record(info70, kInfo70.base + static_cast<size_t>(i) * kInfo70.stride, kInfoRecordRead);
        });
        expect(result[last] == label_byte(i), "LableGet on STKINFO70.DAT", i);

        pair(x.LableGet, older_code, Call{}, &p->label60, [&] {
            bare_record(info70_sz, 0, 0);  // the newer file is looked for first
            bare_record(info60, kInfo60.base + static_cast<size_t>(i) * kInfo60.stride, kInfoRecordRead);
        });
        expect(result[last] == label_byte(i), "LableGet on STKINFO60.DAT", i);

        pair(x.TlineAll, code, Call{{1}, {5}, {}, {240}}, &p->tlineall, [] {});
        pair(x.Tline, code, Call{c, {5}, {}, {}, 0}, &p->tline, [] {});
        p->tlineall.bare.clear();
        p->tline.bare.clear();
    }
}

void report(const char* title, const Pass& p) {
    std::printf("%s\n", title);
    print_rows({p.inblock, p.save_true, p.save_false, p.savedata, p.readdata, p.label70, p.label60, p.tlineall, p.tline});
}

// ReadData of a history at the read limit: 4 000 records onto 4 000 bars,
// its log line included.
void readdata_at_limit(const ScreeningExports& x, Digest* digest) {
    const int calls = 200;
    std::vector<BarRecord> bars = bars_of(kLimitSecurity, kReadLimitRecords);
    const std::string code = kLimitCode, history = at(history_rel(code));
    std::vector<float> c = closes(bars), result;
    Row row{"ReadData 4000", {}, {}};
    Bytes bytes;
    const Call call{c, {kDataNumber}, {}, {}, 0};
    for (int k = 0; k < calls; ++k) {
        tagCALCINFO ci = record(code, bars, call, result);
        double t0 = now_us();
        int r = x.ReadData(&ci);
        double t1 = now_us();
        expect(r == 0 && result[kReadLimitRecords - 1] == c[kReadLimitRecords - 1] * 0.5f, "ReadData at the limit", k);
        digest->add_int(r);
        bare_read(history, &bytes);
        row.ex.push_back(t1 - t0);
        row.bare.push_back(now_us() - t1);
        digest->add(result.data(), result.size() * sizeof(float));
    }
    std::printf("4 000 records onto 4 000 bars, %d calls\n", calls);
    print_rows({row});
}

// What the exports left in the files: the block and every history.
void digest_files(int securities, Digest* digest) {
    Bytes b;
    bare_read(at(kBlockRel), &b);
    digest->add(b.data(), b.size());
    for (int i = 0; i < securities; ++i) {
        bare_read(at(history_rel(code_of(i))), &b);
        digest->add(b.data(), b.size());
    }
}

// The log without its time stamps; its number of entries.
int digest_log(Digest* digest) {
    Bytes b;
    if (!bare_read(at("TARVEX.log"), &b)) return 0;
    // Each entry: a newline, "yy-mm-dd hh:mm:ss " and the text.
    auto stamp_at = [&b](size_t i) {
        const char form[] = "00-00-00 00:00:00";
        if (i + 17 > b.size()) return false;
        for (size_t k = 0; k < 17; ++k)
            if (form[k] == '0' ? b[i + k] < '0' || b[i + k] > '9' : b[i + k] != form[k]) return false;
        return true;
    };
    std::string kept;
    int entries = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        kept.push_back(static_cast<char>(b[i]));
        if (b[i] == '\n' && stamp_at(i + 1)) i += 17, ++entries;
    }
    digest->add(kept.data(), kept.size());
    return entries;
}

}  // namespace

bool build_screening_market(const ScreeningSetup& setup) {
    g_host = setup.host;
    g_sep = setup.separator;
    if (build_market(setup.securities)) return true;
    std::printf("cannot build the host tree below %s\n", setup.host.c_str());
    return false;
}

int run_screening(const ScreeningExports& exports, const ScreeningSetup& setup) {
    g_host = setup.host;
    g_sep = setup.separator;
    g_flush = setup.flush;
    std::printf("screening run (%s): %d securities, %d day bars each%s\n", setup.where.c_str(), setup.securities,
                kBars, setup.flush ? "" : "; writes not flushed to the disk");
    Digest results;
    double t0 = now_us();
    Pass first, again;
    screen(exports, setup.securities, false, &results, &first);
    report("the day's first run (savedata adds the day, save2blk fills the block)", first);
    screen(exports, setup.securities, true, &results, &again);
    report("the same run again (nothing new to store)", again);
    readdata_at_limit(exports, &results);
    Digest files, log;
    digest_files(setup.securities, &files);
    int entries = digest_log(&log);
    std::printf("wall time %.1f s\n", (now_us() - t0) / 1e6);
    std::printf("digests: results %016llx, files %016llx, log (%d entries) %016llx\n",
                static_cast<unsigned long long>(results.h), static_cast<unsigned long long>(files.h), entries,
                static_cast<unsigned long long>(log.h));
    return g_wrong == 0 ? 0 : 1;
}
