// Bounded whole-file and prefix reads.
#include "common/capped_read.h"

#include <cstdio>

#include "common/log.h"
#include "platform/scoped_file.h"

namespace {

constexpr size_t kFirstRead = 64 * 1024;

// Reads up to `limit` bytes into `out`, each read as large as all read so
// far, and never more than `limit` in all. False after a read error.
bool read_up_to(plat::File* f, size_t limit, std::vector<unsigned char>* out) {
    size_t have = 0;
    size_t want = limit < kFirstRead ? limit : kFirstRead;
    while (want > 0) {
        out->reserve(have + want);  // exactly: growth never asks past the limit
        out->resize(have + want);
        size_t n = plat::read_file(f, out->data() + have, want);
        have += n;
        if (n < want) {
            out->resize(have);
            return plat::at_end_of_file(f);
        }
        want = have < limit - have ? have : limit - have;
    }
    out->resize(have);
    return true;
}

}  // namespace

CappedRead read_file_capped(const char* path, size_t cap, std::vector<unsigned char>* out) {
    out->clear();
    plat::ScopedFile f(plat::open_file(path, "rb"));
    if (!f) return CappedRead::failed;
    // Refused before a byte is read. The read itself stops one byte past the
    // cap too, should the file grow meanwhile.
    uint64_t size = 0;
    bool over = plat::file_size(f.get(), &size) && size > cap;
    const size_t limit = cap + 1 > cap ? cap + 1 : cap;
    if (!over) {
        if (!read_up_to(f.get(), limit, out)) {
            out->clear();
            return CappedRead::read_error;
        }
        if (out->size() <= cap) return CappedRead::whole;
        out->clear();
        out->shrink_to_fit();
    }
    char message[80];
    std::snprintf(message, sizeof message, "文件超过上限 %zu 字节，未读取:", cap);
    log_line_str(message, path);
    return CappedRead::too_large;
}

CappedRead read_file_prefix(const char* path, size_t cap, std::vector<unsigned char>* out) {
    out->clear();
    plat::ScopedFile f(plat::open_file(path, "rb"));
    if (!f) return CappedRead::failed;
    if (!read_up_to(f.get(), cap, out)) {
        out->clear();
        return CappedRead::read_error;
    }
    return CappedRead::whole;
}
