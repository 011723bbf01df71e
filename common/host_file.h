// Whole-file reads and safe rewrites of the host's precious files (blocks,
// data files, the alert file) and of the files other programs read (the MT4
// history, the TDX line file, Advanced GET's files).
//
// A rewrite writes the new content beside the file, flushes it to the disk
// and moves it over the old one in one step, so that neither a failure nor a
// power cut leaves anything but the old or the new content. The file's owner
// may hold it open right then (the host, MT4, the TDX terminal, Advanced GET),
// and Windows refuses to replace an open file; the new content is then
// written into the file itself, from its start, and flushed. When that fails
// part-way the old bytes are written back; only a cut of the power or the
// process in the middle of that route can leave a mix of the two.
#pragma once

#include <cstddef>
#include <vector>

// Reads the whole file; false (and nothing read) when it cannot be opened
// for reading or a read fails before the end.
bool read_whole_file(const char* path, std::vector<unsigned char>* out);

// Makes `bytes` the file's content (creating it when missing). Content that
// is already there is not written again. False when the new content could
// not be put in place; the file then holds exactly what it held before.
bool replace_file_contents(const char* path, const void* bytes, size_t size);
// The same for a caller that has just read the file whole into `old`
// (read_whole_file said true): the file is not read a second time. `old`
// then decides what is unchanged and is what a failed write in place puts
// back.
bool replace_file_contents(const char* path, const void* bytes, size_t size, const std::vector<unsigned char>& old);

// In a rehearsal (common/rehearsal.h) both forms above log the rewrite and
// report it done, leaving the file as it is. This one writes in a
// rehearsal too: for a file that only this library reads (a cache).
bool replace_own_file_contents(const char* path, const void* bytes, size_t size);
