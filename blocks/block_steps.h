// The shared steps every block function is made of: Probe, Read, Find,
// Create, Insert first, Append and Remove. A block file is read whole, so a
// block of any size is searched and rewritten without losing a record; every
// write goes through a whole-file replacement, so a failed write leaves the
// file exactly as it was and is reported as a failure.
#pragma once

#include <cstddef>
#include <vector>

// A block file as read: its bytes and the number of whole records in them.
struct BlockFile {
    std::vector<unsigned char> bytes;
    size_t records = 0;
};

// Probe: whether the block file exists.
bool block_exists(const char* path);

// Read: the whole file into `out`. False when it cannot be opened or read,
// or is larger than kBlockFileCap (logged). A file under 4 bytes holds no
// record; a trailing partial record is not counted.
bool read_block(const char* path, BlockFile* out);

// Whether the file as read is of the host's block format: its header word
// is the host's, or it is too short to hold one (an emptied block). A file
// of another format is neither searched nor written.
bool is_host_block(const BlockFile& block);

// Pointer to record i (0 <= i < records).
const unsigned char* block_record(const BlockFile& block, size_t i);

// Find: index of the first record whose code equals `key`, or -1.
long find_in_block(const BlockFile& block, const char* key);

// Create: the file becomes the header word and one record for `key`.
// False when the file could not be written; it then holds what it held.
bool create_block(const char* path, const char* key);

// Insert first: the header word, the record for `key`, then every record of
// `block` in its order (and any trailing partial record, untouched). False
// when the file could not be written; it then holds what it held.
bool insert_first_in_block(const char* path, const BlockFile& block, const char* key);

// Append: the file as read (header untouched) with the record for `key`
// after its last whole record; a trailing partial record stays after it, so
// records stay aligned. False when the file could not be written; it then
// holds what it held.
bool append_to_block(const char* path, const BlockFile& block, const char* key);

// Remove: the file as read without any record whose code equals `key`; the
// header, every other record and a trailing partial record stay byte for
// byte. `kept` gets the number of whole records left. False when the file
// could not be written; it then holds what it held.
bool remove_from_block(const char* path, const BlockFile& block, const char* key, size_t* kept);
