// The doctor's reading of TARVEX.ini's text: its lines as the Windows profile
// reader takes them, its encoding, and the nearest known name of a misspelt one.
#include <algorithm>
#include <cstddef>

#include "tools/harness/lib/doctor.h"

namespace {

std::string trimmed(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return s.substr(b, e - b);
}

// Characters of a GBK text: a lead byte 0x81..0xFE takes the next byte with it.
std::vector<std::string> characters(const std::string& s) {
    std::vector<std::string> out;
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x81 && c <= 0xFE && i + 1 < s.size()) {
            out.push_back(s.substr(i, 2));
            ++i;
        } else {
            char u = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : static_cast<char>(c);
            out.push_back(std::string(1, u));
        }
    }
    return out;
}

size_t edit_distance(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = up;
        }
    }
    return row[b.size()];
}

int line_of(const std::string& s, size_t pos) {
    return 1 + static_cast<int>(std::count(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(pos), '\n'));
}

// Length of the UTF-8 sequence at i (2..4), 0 when none starts there.
size_t utf8_sequence(const std::string& s, size_t i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
    return n;
}

}  // namespace

IniListing list_ini(const std::string& text) {
    IniListing out;
    std::string section;
    size_t start = 0;
    int number = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string t = trimmed(text.substr(start, end - start));
        ++number;
        start = end + 1;
        if (t.empty() || t[0] == ';') continue;
        if (t[0] == '[') {
            size_t close = t.find(']');
            section = trimmed(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            out.sections.push_back({number, section, "", ""});
            continue;
        }
        size_t eq = t.find('=');
        if (eq == std::string::npos) {
            out.odd_lines.push_back(number);
            continue;
        }
        out.entries.push_back({number, section, trimmed(t.substr(0, eq)), trimmed(t.substr(eq + 1))});
    }
    return out;
}

IniEncoding ini_encoding(const std::string& b, int* line) {
    *line = 1;
    if (b.size() >= 3 && b.compare(0, 3, "\xEF\xBB\xBF") == 0) return IniEncoding::utf8_bom;
    if (b.size() >= 2 && (b.compare(0, 2, "\xFF\xFE") == 0 || b.compare(0, 2, "\xFE\xFF") == 0))
        return IniEncoding::utf16;
    // Chinese text saved as UTF-8 is mostly valid GBK byte for byte too, while
    // GBK text is almost never valid UTF-8: a file that is all UTF-8 with
    // some multi-byte character was saved as UTF-8.
    bool all_utf8 = true, multibyte = false;
    size_t first_multibyte = 0;
    for (size_t i = 0; i < b.size() && all_utf8;) {
        if (static_cast<unsigned char>(b[i]) < 0x80) {
            ++i;
            continue;
        }
        size_t n = utf8_sequence(b, i);
        if (n == 0) all_utf8 = false;
        else if (!multibyte) multibyte = true, first_multibyte = i;
        i += n ? n : 1;
    }
    if (all_utf8 && multibyte) {
        *line = line_of(b, first_multibyte);
        return IniEncoding::utf8;
    }
    for (size_t i = 0; i < b.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(b[i]);
        if (c < 0x80) continue;
        unsigned char t = i + 1 < b.size() ? static_cast<unsigned char>(b[i + 1]) : 0;
        if (c >= 0x81 && c <= 0xFE && t >= 0x40 && t <= 0xFE && t != 0x7F) {
            ++i;
            continue;
        }
        *line = line_of(b, i);
        return IniEncoding::not_gbk;
    }
    return IniEncoding::gbk;
}

std::string nearest_name(const std::string& word, const std::vector<std::string>& candidates) {
    std::string best;
    size_t best_distance = static_cast<size_t>(-1);
    std::vector<std::string> w = characters(word);
    for (const std::string& c : candidates) {
        size_t d = edit_distance(w, characters(c));
        if (d < best_distance) best_distance = d, best = c;
    }
    return best;
}
