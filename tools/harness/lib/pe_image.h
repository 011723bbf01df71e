// Reads what the host's loader would see in a DLL file: machine type, image
// kind, the export name table and the imported DLLs and functions. Portable,
// so the checks run natively as well as under Wine.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct PeImage {
    unsigned machine = 0;       // 0x14C: i386, 0x8664: x86-64
    bool pe32 = false;          // optional header magic 0x10B (0x20B, PE32+, is read too)
    bool is_dll = false;        // characteristics IMAGE_FILE_DLL
    std::vector<std::string> exports;  // names in the export name table
    std::vector<std::string> imports;  // imported DLL names
    // Every imported function with its DLL, as the loader resolves them: by
    // name, or "#n" for one imported by ordinal n.
    std::vector<std::pair<std::string, std::string>> imported_functions;
    // The version resource: the fixed file version ("1.0.0.0", empty when the
    // file has none) and the texts of its string table (key, value) in UTF-8.
    std::string file_version;
    std::vector<std::pair<std::string, std::string>> version_texts;
};

// Parses the file image; false with a reason when it is not a readable PE file.
bool read_pe_image(const std::vector<unsigned char>& file, PeImage* out, std::string* error);

// Whether a DLL name is one of Windows' own (case-insensitive), rather than a
// runtime that a user's machine would lack (libgcc, libstdc++, winpthread).
bool is_system_dll(const std::string& name);
