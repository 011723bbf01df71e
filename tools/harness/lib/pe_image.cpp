// PE file reading for the harness's DLL check.
#include "tools/harness/lib/pe_image.h"

#include <cctype>
#include <cstdint>

namespace {

struct Reader {
    const std::vector<unsigned char>& b;
    bool ok = true;
    uint32_t u16(size_t off) {
        if (off + 2 > b.size()) return ok = false, 0;
        return b[off] | (b[off + 1] << 8);
    }
    uint32_t u32(size_t off) {
        if (off + 4 > b.size()) return ok = false, 0;
        return b[off] | (b[off + 1] << 8) | (b[off + 2] << 16) | (static_cast<uint32_t>(b[off + 3]) << 24);
    }
    std::string text(size_t off) {
        std::string s;
        while (off < b.size() && b[off]) s.push_back(static_cast<char>(b[off++]));
        if (off >= b.size()) ok = false;
        return s;
    }
};

struct Section {
    uint32_t va, vsize, raw, rawsize;
};

// File offset of a relative virtual address, or 0 when no section holds it.
size_t file_offset(const std::vector<Section>& sections, uint32_t rva) {
    for (const Section& s : sections) {
        uint32_t size = s.vsize > s.rawsize ? s.vsize : s.rawsize;
        if (rva >= s.va && rva < s.va + size) return rva - s.va + s.raw;
    }
    return 0;
}

}  // namespace

bool read_pe_image(const std::vector<unsigned char>& file, PeImage* out, std::string* error) {
    Reader r{file};
    *out = PeImage{};
    if (file.size() < 64 || file[0] != 'M' || file[1] != 'Z') return *error = "no MZ header", false;
    uint32_t pe = r.u32(0x3C);
    if (r.u32(pe) != 0x00004550) return *error = "no PE signature", false;
    size_t coff = pe + 4;
    out->machine = r.u16(coff);
    uint32_t nsections = r.u16(coff + 2);
    uint32_t opt_size = r.u16(coff + 16);
    out->is_dll = (r.u16(coff + 18) & 0x2000) != 0;
    size_t opt = coff + 20;
    out->pe32 = r.u16(opt) == 0x10B;
    if (!out->pe32) return *error = "not a PE32 (32-bit) image", false;
    uint32_t export_rva = r.u32(opt + 96), import_rva = r.u32(opt + 104);
    std::vector<Section> sections;
    for (uint32_t i = 0; i < nsections; ++i) {
        size_t s = opt + opt_size + 40 * i;
        sections.push_back({r.u32(s + 12), r.u32(s + 8), r.u32(s + 20), r.u32(s + 16)});
    }
    if (export_rva) {
        size_t ed = file_offset(sections, export_rva);
        uint32_t count = r.u32(ed + 24);
        size_t names = file_offset(sections, r.u32(ed + 32));
        for (uint32_t i = 0; i < count && r.ok; ++i)
            out->exports.push_back(r.text(file_offset(sections, r.u32(names + 4 * i))));
    }
    if (import_rva) {
        for (size_t d = file_offset(sections, import_rva); r.ok; d += 20) {
            uint32_t name = r.u32(d + 12);
            if (name == 0) break;
            out->imports.push_back(r.text(file_offset(sections, name)));
        }
    }
    if (!r.ok) return *error = "truncated or damaged PE file", false;
    return true;
}

bool is_system_dll(const std::string& name) {
    static const char* const kSystem[] = {"kernel32.dll", "user32.dll", "msvcrt.dll", "advapi32.dll",
                                          "psapi.dll",    "gdi32.dll",  "shell32.dll", "ntdll.dll",
                                          "ws2_32.dll",   "ole32.dll",  "comctl32.dll"};
    std::string lower;
    for (char c : name) lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    if (lower.rfind("api-ms-win-", 0) == 0) return true;
    for (const char* s : kSystem)
        if (lower == s) return true;
    return false;
}
