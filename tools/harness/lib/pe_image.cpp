// PE file reading for the harness's DLL check.
#include "tools/harness/lib/pe_image.h"

#include <cctype>
#include <cstdint>
#include <string>

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

std::string utf16_to_utf8(const std::vector<uint32_t>& units) {
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
        uint32_t c = units[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// NUL-terminated UTF-16 text at `off`, no further than `end`; *next is the
// offset after its NUL.
std::string wide_text(Reader& r, size_t off, size_t end, size_t* next) {
    std::vector<uint32_t> units;
    while (off + 2 <= end && r.ok) {
        uint32_t u = r.u16(off);
        off += 2;
        if (u == 0) break;
        units.push_back(u);
    }
    *next = off;
    return utf16_to_utf8(units);
}

size_t align4(size_t off) { return (off + 3) & ~static_cast<size_t>(3); }

// One block of a version resource and its children: the root holds the
// fixed file information, the blocks under "StringFileInfo" the texts.
void read_version_block(Reader& r, size_t off, size_t end, int depth, bool strings, PeImage* out) {
    uint32_t length = r.u16(off), value_length = r.u16(off + 2), type = r.u16(off + 4);
    if (!r.ok || length < 6 || off + length > end || depth > 3) return;
    end = off + length;
    size_t value;
    std::string key = wide_text(r, off + 6, end, &value);
    value = align4(value);
    if (depth == 0 && value_length >= 52 && r.u32(value) == 0xFEEF04BD) {
        uint32_t ms = r.u32(value + 8), ls = r.u32(value + 12);
        out->file_version = std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFF) + "." +
                            std::to_string(ls >> 16) + "." + std::to_string(ls & 0xFFFF);
    }
    if (depth == 3 && strings) {
        size_t unused;
        out->version_texts.push_back({key, type == 1 && value_length ? wide_text(r, value, end, &unused) : ""});
        return;
    }
    strings = strings || (depth == 1 && key == "StringFileInfo");
    for (size_t child = align4(value + (type == 1 ? 2 * value_length : value_length)); child + 6 <= end && r.ok;) {
        uint32_t child_length = r.u16(child);
        if (child_length == 0) break;
        read_version_block(r, child, end, depth + 1, strings, out);
        child = align4(child + child_length);
    }
}

// The first entry of a resource directory whose id is `id` (any id when
// negative): the offset its entry points to, from the start of the resources.
bool resource_entry(Reader& r, size_t dir, long id, uint32_t* to) {
    uint32_t count = r.u16(dir + 12) + r.u16(dir + 14);
    for (uint32_t i = 0; i < count && i < 64 && r.ok; ++i) {
        size_t e = dir + 16 + 8 * i;
        if (id < 0 || r.u32(e) == static_cast<uint32_t>(id)) return *to = r.u32(e + 4), r.ok;
    }
    return false;
}

void read_version(Reader& r, const std::vector<Section>& sections, uint32_t resource_rva, PeImage* out) {
    size_t base = file_offset(sections, resource_rva);
    uint32_t type, name, lang;
    if (!base || !resource_entry(r, base, 16, &type) || !(type & 0x80000000u)) return;  // RT_VERSION
    if (!resource_entry(r, base + (type & 0x7FFFFFFF), -1, &name) || !(name & 0x80000000u)) return;
    if (!resource_entry(r, base + (name & 0x7FFFFFFF), -1, &lang) || (lang & 0x80000000u)) return;
    size_t leaf = base + lang;
    size_t data = file_offset(sections, r.u32(leaf));
    uint32_t size = r.u32(leaf + 4);
    if (!r.ok || !data || data + size > r.b.size()) return;
    read_version_block(r, data, data + size, 0, false, out);
}

// The functions one import descriptor at `d` names: its lookup table (the
// address table when a linker left no lookup table), up to the zero entry.
// Thunks are 4 bytes in a PE32 image, 8 in a PE32+ one (whose ordinal flag
// is bit 63, and whose name RVAs fit the low 32 bits).
void read_import_names(Reader& r, const std::vector<Section>& sections, size_t d, const std::string& dll,
                       bool pe32_plus, std::vector<std::pair<std::string, std::string>>* out) {
    uint32_t table = r.u32(d);
    if (table == 0) table = r.u32(d + 16);
    size_t at = file_offset(sections, table);
    if (!at) return;
    // A damaged table without its zero entry ends at the file's end (r.ok).
    for (;; at += pe32_plus ? 8 : 4) {
        uint32_t entry = r.u32(at);
        uint32_t high = pe32_plus ? r.u32(at + 4) : 0;
        if (!r.ok || (entry == 0 && high == 0)) return;
        if (pe32_plus ? (high & 0x80000000u) != 0 : (entry & 0x80000000u) != 0) {
            out->push_back({dll, "#" + std::to_string(entry & 0xFFFF)});
            continue;
        }
        size_t hint = file_offset(sections, entry);  // a 2-byte hint, then the name
        if (!hint) {
            r.ok = false;
            return;
        }
        out->push_back({dll, r.text(hint + 2)});
    }
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
    // PE32+ (a 64-bit image): the data directories lie 16 bytes further on.
    const bool pe32_plus = r.u16(opt) == 0x20B;
    if (!out->pe32 && !pe32_plus) return *error = "not a PE32 or PE32+ image", false;
    const size_t dirs = opt + (pe32_plus ? 112 : 96);
    uint32_t export_rva = r.u32(dirs), import_rva = r.u32(dirs + 8), resource_rva = r.u32(dirs + 16);
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
            read_import_names(r, sections, d, out->imports.back(), pe32_plus, &out->imported_functions);
        }
    }
    if (!r.ok) return *error = "truncated or damaged PE file", false;
    // A damaged version resource leaves the version empty, not the file refused.
    if (resource_rva) {
        Reader v{file};
        read_version(v, sections, resource_rva, out);
        if (!v.ok) out->file_version.clear(), out->version_texts.clear();
    }
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
