// harness doctor: an installation inspected the way TARVEX will see it from
// inside the host's process. Each row says what was checked, what was found,
// what follows for the formulas and what to do. Paths come from the library's
// own routines with the host's executable taken as the current program's, so
// they are resolved exactly as the DLL will resolve them. Nothing is changed:
// files are only opened for reading, or for update and closed unwritten; a
// directory's writability is tried with an empty file that is removed again.
// Texts are GBK, as every text of the library.
#pragma once

#include <string>
#include <vector>

enum class Verdict {
    ok,     // 正常
    hint,   // 提示: nothing wrong; a feature is not set up, or a default applies
    warn,   // 注意: a note: TARVEX works, but the exports it names fail or do
            // not do what the user may think until this is mended
    error,  // 错误: TARVEX cannot work at all (no host, a DLL the host cannot
            // load, an unreadable TARVEX.ini), or a feature the user has set
            // up in TARVEX.ini cannot work
};

struct DoctorRow {
    std::string id;       // ASCII name of the check, for tests and scripts ("dll", "path:GET")
    Verdict verdict;
    std::string topic;    // what was checked
    std::string finding;  // what was found
    std::string advice;   // what follows for the formulas and what to do; may be empty
};

struct DoctorReport {
    std::string host_dir;  // with its trailing backslash
    std::vector<DoctorRow> rows;
    // Whether some row is an error: the exit status of the command.
    bool has_error() const;
    // Whether some row is a note (注意).
    bool has_note() const;
    // The rows with this id, for tests.
    std::vector<const DoctorRow*> with_id(const std::string& id) const;
};

// Inspects the host installation in `host_dir` (absolute, Windows-style, with
// or without its trailing backslash). For the time of the call the library's
// executable path is the host program found there.
DoctorReport run_doctor(const std::string& host_dir);

// The report as text, one row per thing checked and a closing count.
std::string doctor_text(const DoctorReport& report);

// Name of the empty file tried in a directory to see that it can be written.
std::string doctor_probe_name();

// ---- Pieces, tested on their own ----

// TARVEX.ini as the Windows profile reader sees its lines.
struct IniLine {
    int line;             // 1-based
    std::string section;  // "" before the first section
    std::string key;      // trimmed; empty for a section line
    std::string value;
};
struct IniListing {
    std::vector<IniLine> sections;  // one per section header line (key empty)
    std::vector<IniLine> entries;   // key = value lines
    std::vector<int> odd_lines;     // neither a section, nor key=value, nor a comment
};
IniListing list_ini(const std::string& text);

// Encoding of a settings file's bytes: GBK as the library reads it, or what
// it is instead. `line` is the 1-based line of the first offending byte.
enum class IniEncoding { gbk, utf8_bom, utf16, utf8, not_gbk };
IniEncoding ini_encoding(const std::string& bytes, int* line);

// The candidate nearest to `word` by edit distance over characters (a GBK
// double-byte character counts as one), ASCII letter case ignored.
std::string nearest_name(const std::string& word, const std::vector<std::string>& candidates);
