// Whole-file reads and safe rewrites of the host's precious files (blocks,
// data files, the alert file). A rewrite writes the new content beside the
// file and moves it over the old one in one step, so a failure at any point
// leaves the old content intact and is reported, never taken for success.
#pragma once

#include <cstddef>
#include <vector>

// Reads the whole file; false (and nothing read) when it cannot be opened
// for reading or a read fails before the end.
bool read_whole_file(const char* path, std::vector<unsigned char>* out);

// Replaces the file's content with `bytes` (creating it when missing).
// False when any open, write, close or the final replacement fails; the file
// then holds exactly what it held before.
bool replace_file_contents(const char* path, const void* bytes, size_t size);
