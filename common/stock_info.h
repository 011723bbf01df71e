// The host's security-information files: "data\SH\STKINFO70.DAT" (or
// "data\SZ\...") below module_dir, and the older "STKINFO60.DAT" read only
// when the newer one cannot be opened. Both hold a record count at byte 8 and
// records at a fixed base and stride; each record begins with the code.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kStockInfoBytes = 272;  // info: the part of a record read
constexpr int kStockInfoLabelOffset = 271;  // the byte LableGet returns

struct InfoLayout {
    const char* name;
    uint32_t base;    // offset of record 0
    uint32_t stride;  // distance between records
};
extern const InfoLayout kInfo70;  // "STKINFO70.DAT", read first
extern const InfoLayout kInfo60;  // "STKINFO60.DAT", read when the newer one cannot be opened
constexpr uint32_t kStockInfoCountOffset = 8;  // signed 32-bit record count

// module_dir + "data\" + "SH" (code from "600000" on) or "SZ" + "\" + the file name.
void info_path(char* out, size_t cap, const char* code, const InfoLayout& layout);

// Finds the security's record and copies its first 272 bytes into `info`.
// Returns 0 when found, -1 otherwise (logged: "没找到文件" with the older
// file's path, or "GetStockInfo 没有找到股票:" with the code).
float GetStockInfo(const char* code, char* info);
