// The doctor's file-system questions natively: Windows-style paths whose
// backslashes stand for slashes, as the portable platform maps them.
#include <sys/stat.h>
#include <unistd.h>

#include "tools/harness/lib/doctor_fs.h"

namespace {
std::string native(std::string p) {
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}
}  // namespace

bool is_directory(const std::string& path) {
    struct stat st;
    return stat(native(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string absolute_dir(const std::string& dir) {
    if (dir.empty()) return "";
    std::string out = dir;
    if (out[0] != '\\' && out[0] != '/') {
        char cwd[4096];
        if (!getcwd(cwd, sizeof cwd)) return "";
        out = std::string(cwd) + "/" + out;
    }
    for (char& c : out)
        if (c == '/') c = '\\';
    if (out.back() != '\\') out += '\\';
    return out;
}
