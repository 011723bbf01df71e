// Reading and rewriting whole self-data files. Every rewrite goes through
// replace_file_contents: the new content is written beside the file and moved
// over it in one step, so a failure leaves the old content as it was.
#pragma once

#include <vector>

#include "datafiles/selfdata_format.h"

// Every whole record of the file; `bytes`, when given, receives the file as
// read. False when it cannot be opened or read, or is larger than
// kSelfDataFileCap (logged).
bool read_selfdata_file(const char* path, std::vector<SelfDataRecord>* records,
                        std::vector<unsigned char>* bytes = nullptr);

// Makes `records` the file's whole content (creating it when missing).
// `old`: the file as just read whole, when the caller has it (it is then
// not read again). False when any step fails; the file then holds what it
// held before.
bool write_selfdata_file(const char* path, const std::vector<SelfDataRecord>& records,
                         const std::vector<unsigned char>* old = nullptr);
