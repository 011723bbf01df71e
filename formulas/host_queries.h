// Questions a formula asks about its host: which installation it runs in,
// and an attribute of the security from the host's security records.
#pragma once

// 1 when a file or directory `name` exists in module_dir, else 0; the file is
// not opened.
int module_file_exists(const char* name);
