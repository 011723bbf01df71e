// Whole-file reads and safe rewrites.
#include "common/host_file.h"

#include <string>

#include "platform/platform.h"

bool read_whole_file(const char* path, std::vector<unsigned char>* out) {
    out->clear();
    plat::File* f = plat::open_file(path, "rb");
    if (!f) return false;
    // Read straight into the vector, each read as large as all read so far:
    // a few calls and no copying through a bounce buffer.
    size_t have = 0, want = 16384;
    for (;;) {
        out->resize(have + want);
        size_t n = plat::read_file(f, out->data() + have, want);
        have += n;
        if (n < want) break;
        want = have;
    }
    out->resize(have);
    // Stopped short of the end: a read error. Part of a file must never be
    // taken for all of it (a rewrite would drop the rest).
    bool whole = plat::at_end_of_file(f);
    plat::close_file(f);
    if (!whole) out->clear();
    return whole;
}

bool replace_file_contents(const char* path, const void* bytes, size_t size) {
    std::string tmp = std::string(path) + ".tarvex-new";
    plat::File* f = plat::open_file(tmp.c_str(), "wb");
    if (!f) return false;
    bool ok = size == 0 || plat::write_file(f, bytes, size);
    ok = plat::close_file(f) && ok;
    if (ok && plat::replace_file(tmp.c_str(), path)) return true;
    plat::remove_file(tmp.c_str());
    return false;
}
