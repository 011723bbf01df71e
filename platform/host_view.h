// Tools that look at a host installation from outside the host's process
// (the harness's doctor) see it through the library's own path routines:
// they name the host's executable, and from then on executable_path reports
// that file instead of the current process's. The library itself never
// calls this; inside the host the path is always the host's own.
#pragma once

namespace plat {

// Takes `path` (a Windows path of the host's executable) as the executable
// path; empty or null restores the current process's own.
void view_host_executable(const char* path);

}  // namespace plat
