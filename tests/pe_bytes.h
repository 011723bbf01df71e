// A minimal PE32 program or DLL file, for tests that need a host program or
// a TARVEX.dll on disk without the real ones: headers with the machine type
// and kind, and one section holding an export directory with the given names.
#pragma once

#include <string>
#include <vector>

#include "tests/expected_bytes.h"

inline Bytes pe_file(unsigned machine, bool dll, const std::vector<std::string>& exports = {}) {
    size_t names = 0;
    for (const std::string& e : exports) names += e.size() + 1;
    const size_t raw = (0x40 + 4 * exports.size() + names + 0x1FF) & ~static_cast<size_t>(0x1FF);
    Bytes b(0x200 + raw, 0);
    auto put16 = [&](size_t off, unsigned v) { b[off] = v & 0xFF; b[off + 1] = (v >> 8) & 0xFF; };
    auto put32 = [&](size_t off, unsigned v) { put16(off, v & 0xFFFF); put16(off + 2, v >> 16); };
    b[0] = 'M';
    b[1] = 'Z';
    put32(0x3C, 0x40);
    b[0x40] = 'P';
    b[0x41] = 'E';
    const size_t coff = 0x44, opt = coff + 20, sect = opt + 224;
    put16(coff, machine);
    put16(coff + 2, 1);
    put16(coff + 16, 224);
    put16(coff + 18, dll ? 0x2102 : 0x0102);
    put16(opt, 0x10B);
    if (!exports.empty()) put32(opt + 96, 0x1000);
    put32(sect + 8, static_cast<unsigned>(raw));
    put32(sect + 12, 0x1000);
    put32(sect + 16, static_cast<unsigned>(raw));
    put32(sect + 20, 0x200);
    const size_t base = 0x200;  // file offset of RVA 0x1000
    put32(base + 24, static_cast<unsigned>(exports.size()));
    put32(base + 32, 0x1040);
    size_t text = 0x40 + 4 * exports.size();
    for (size_t i = 0; i < exports.size(); ++i) {
        put32(base + 0x40 + 4 * i, static_cast<unsigned>(0x1000 + text));
        for (size_t k = 0; k < exports[i].size(); ++k) b[base + text + k] = static_cast<unsigned char>(exports[i][k]);
        text += exports[i].size() + 1;
    }
    return b;
}
