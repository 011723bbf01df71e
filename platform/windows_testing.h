// The scripted desktop behind the portable window services: tests build a
// tree of windows in made-up processes, give list views their cells, inject
// failures of the process services, and read back what was sent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/windows.h"

namespace plat_windows_testing {

// Empties the desktop, the processes, the record and the injected failures.
void reset();
// A new window, placed last among `parent`'s children (0: a top-level
// window). It belongs to process `pid`.
plat::Window add_window(plat::Window parent, const char* class_name, const char* text, uint32_t pid = 1);
void set_owner(plat::Window w, plat::Window owner);
// Destroys a window with its descendants; its handle is never reused.
void destroy_window(plat::Window w);
// Cells of a list view, row by row; LVM_GETITEMTEXTA reads them from the
// block addresses written into the list's process.
void set_cells(plat::Window list, const std::vector<std::vector<std::string>>& rows);
void set_main_module(uint32_t pid, const char* path);
// Process `pid` answers `answers` more messages, then its window thread
// stops answering: every later send to its windows times out.
void hang_after(uint32_t pid, int answers);
// Process `pid` runs 64-bit code: its list views read the 64-bit LVITEMA.
void set_wide_process(uint32_t pid);
// The window under the mouse cursor (0: none).
void set_window_under_cursor(plat::Window w);
// The id of the process the library runs in (8 unless set).
void set_own_process(uint32_t pid);

// Injected failures of the process services.
struct Faults {
    bool open_fails = false;
    int alloc_fails_at = 0;  // 1-based allocation that fails; 0: none
    bool write_fails = false;
    bool start_fails = false;  // start_program
    bool alloc_high = false;   // remote_alloc gives blocks from 2 GiB on
};
void set_faults(const Faults& f);

// What happened: "<window> settext <text>", "<window> down", "<window> up",
// "<window> timeout <message>", "mouse <flags>", "run <command> <show>" for
// each program started, and
// the process blocks still allocated.
const std::vector<std::string>& record();
int live_remote_blocks();
// Number of messages sent with an address no block of the target holds.
int stray_addresses();

// ---- Memory of another process (Advanced GET) ----
// `bytes` at `address` in process `pid`: committed and readable, or reserved
// (readable false) so that reads and writes there fail. Regions of one
// process must not overlap.
void add_memory(uint32_t pid, uint32_t address, const std::vector<unsigned char>& bytes, bool readable = true);
// The process's memory as it is now, read without counting as a remote read.
bool peek_memory(uint32_t pid, uint32_t address, void* out, size_t bytes);
// remote_read calls since the last reset.
long remote_reads();

// Processes opened and not closed yet, and blocks that remote_alloc made in
// other processes and remote_free has not released (the blocks of
// add_memory are not counted). reset() forgets the blocks, not the processes.
int open_processes();
int allocated_remote_blocks();

}  // namespace plat_windows_testing
