// The shared block steps over whole-file reads and replacements.
#include "blocks/block_steps.h"

#include "blocks/block_format.h"
#include "common/capped_read.h"
#include "common/host_file.h"
#include "platform/platform.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Offset just past the last whole record.
size_t records_end(const BlockFile& block) { return kBlockHeaderBytes + block.records * kBlockRecordBytes; }

void put_record(Bytes* out, const char* key) {
    unsigned char record[kBlockRecordBytes];
    encode_block_record(record, key);
    out->insert(out->end(), record, record + kBlockRecordBytes);
}

void put_header(Bytes* out) {
    unsigned char header[kBlockHeaderBytes];
    encode_block_header(header);
    out->insert(out->end(), header, header + kBlockHeaderBytes);
}

bool write_block(const char* path, const Bytes& bytes) {
    return replace_file_contents(path, bytes.data(), bytes.size());
}

// A rewrite of a block just read: its bytes as read are the old content.
bool rewrite_block(const char* path, const BlockFile& block, const Bytes& bytes) {
    return replace_file_contents(path, bytes.data(), bytes.size(), block.bytes);
}

}  // namespace

bool block_exists(const char* path) { return plat::file_exists(path); }

bool read_block(const char* path, BlockFile* out) {
    out->records = 0;
    if (read_file_capped(path, kBlockFileCap, &out->bytes) != CappedRead::whole) return false;
    if (out->bytes.size() >= kBlockHeaderBytes)
        out->records = (out->bytes.size() - kBlockHeaderBytes) / kBlockRecordBytes;
    return true;
}

bool is_host_block(const BlockFile& block) {
    return block.bytes.size() < kBlockHeaderBytes || decode_block_header(block.bytes.data()) == kBlockHeaderWord;
}

const unsigned char* block_record(const BlockFile& block, size_t i) {
    return block.bytes.data() + kBlockHeaderBytes + i * kBlockRecordBytes;
}

long find_in_block(const BlockFile& block, const char* key) {
    for (size_t i = 0; i < block.records; ++i)
        if (block_record_matches(block_record(block, i), key)) return static_cast<long>(i);
    return -1;
}

bool create_block(const char* path, const char* key) {
    Bytes bytes;
    put_header(&bytes);
    put_record(&bytes, key);
    return write_block(path, bytes);
}

bool insert_first_in_block(const char* path, const BlockFile& block, const char* key) {
    Bytes bytes;
    put_header(&bytes);
    put_record(&bytes, key);
    if (block.bytes.size() > kBlockHeaderBytes)
        bytes.insert(bytes.end(), block.bytes.begin() + kBlockHeaderBytes, block.bytes.end());
    return rewrite_block(path, block, bytes);
}

bool append_to_block(const char* path, const BlockFile& block, const char* key) {
    size_t end = records_end(block);
    if (block.bytes.size() < end) return false;  // not a block as read_block leaves it
    Bytes bytes(block.bytes.begin(), block.bytes.begin() + end);
    put_record(&bytes, key);
    bytes.insert(bytes.end(), block.bytes.begin() + end, block.bytes.end());
    return rewrite_block(path, block, bytes);
}

bool remove_from_block(const char* path, const BlockFile& block, const char* key, size_t* kept) {
    size_t end = records_end(block);
    if (block.bytes.size() < end) return false;  // not a block as read_block leaves it
    Bytes bytes(block.bytes.begin(), block.bytes.begin() + kBlockHeaderBytes);
    *kept = 0;
    for (size_t i = 0; i < block.records; ++i) {
        const unsigned char* record = block_record(block, i);
        if (block_record_matches(record, key)) continue;
        bytes.insert(bytes.end(), record, record + kBlockRecordBytes);
        ++*kept;
    }
    bytes.insert(bytes.end(), block.bytes.begin() + end, block.bytes.end());
    return rewrite_block(path, block, bytes);
}
