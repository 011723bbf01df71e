// The little the doctor asks of the file system beyond the library's own
// platform layer: whether a path is a directory, and a directory given on the
// command line made absolute, as the host's executable path always is.
#pragma once

#include <string>

// Whether `path` (a Windows path, with or without a trailing backslash) is an
// existing directory.
bool is_directory(const std::string& path);

// `dir` made absolute and ended with one backslash; empty when it cannot be.
std::string absolute_dir(const std::string& dir);
