// A scratch host tree for the fuzz targets: made once per process below
// /dev/shm (or /tmp), taken by the library for the host's directory (module_dir and the
// working directory), and removed at exit. Each input is written into the
// file a reader reads, then the exports that read it are called.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/harness/lib/chart.h"

// Makes the tree on the first call; `ini` (may be empty) becomes TARVEX.ini.
void fuzz_host(const std::string& ini = "");
// Writes `size` bytes to `rel` below the host directory ('/' separators).
void put_file(const std::string& rel, const uint8_t* data, size_t size);
// The library's spelling (backslashes) of a path below the host directory.
std::string win_path(const std::string& rel);
// Empties TARVEX.log, which would otherwise grow with every run.
void drop_log();
// A day chart of n bars for 600000 with some movement, parameter 1 a series.
Chart fuzz_chart(int n, int period = kPeriodDay);
