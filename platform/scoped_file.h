// A plat::File owned by a scope: closed when the scope ends, also when an
// exception leaves it, so that no failure path keeps a host file open.
#pragma once

#include "platform/platform.h"

namespace plat {

class ScopedFile {
public:
    explicit ScopedFile(File* f) : f_(f) {}
    ~ScopedFile() {
        if (f_) close_file(f_);
    }
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;

    File* get() const { return f_; }
    explicit operator bool() const { return f_ != nullptr; }
    // Closes now; false when buffered data could not be written.
    bool close() {
        File* f = f_;
        f_ = nullptr;
        return f ? close_file(f) : true;
    }

private:
    File* f_;
};

}  // namespace plat
