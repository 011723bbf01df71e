// What the doctor's checks share: the rows being gathered, the host
// directory, TARVEX.ini as listed, and the small questions every check asks
// of a directory or a file. Only for doctor*.cpp.
#pragma once

#include <string>
#include <vector>

#include "tools/harness/lib/doctor.h"

struct DoctorRun {
    std::string host_dir;  // module_dir as the library sees it
    bool ini_present = false;
    bool ini_readable = false;  // GBK, so its lines can be judged
    IniListing ini;
    std::vector<DoctorRow>* rows;

    void add(const std::string& id, Verdict v, const std::string& topic, const std::string& finding,
             const std::string& advice = "") const {
        rows->push_back({id, v, topic, finding, advice});
    }
    // The first entry of `key` in `section` (names compared as Windows does,
    // ASCII letter case ignored), or null.
    const IniLine* entry(const char* section, const char* key) const;
};

bool same_profile_name(const std::string& a, const std::string& b);

enum class DirAccess { missing, not_directory, read_only, writable };
// Whether the directory exists and a file can be made in it (an empty file,
// removed at once).
DirAccess dir_access(const std::string& dir);
// Whether an existing file opens for update (closed again unwritten).
bool file_opens_for_update(const std::string& path);
// Size of a file read whole; false when it cannot be read.
bool file_bytes(const std::string& path, std::string* out);
// Names of the files in `dir` whose names end with `ext` (".BLK"), any case.
std::vector<std::string> files_ending(const std::string& dir, const char* ext);
// The directory part of a path, with its trailing backslash.
std::string dir_of(const std::string& path);

// The checks, in the order of the report.
void check_host_program(const DoctorRun& run);
void check_dll(const DoctorRun& run);
void check_ini(DoctorRun* run);
void check_paths(const DoctorRun& run);
void check_blocks(const DoctorRun& run);
void check_alert_file(const DoctorRun& run);
void check_stock_info(const DoctorRun& run);
void check_investment(const DoctorRun& run);
void check_tdx(const DoctorRun& run);
void check_mt4_get(const DoctorRun& run);
void check_log(const DoctorRun& run);
