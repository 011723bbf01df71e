/* Preloaded into the 64-bit programs of Wine (the wineserver above all) on a
 * machine where the 32-bit Windows programs run under qemu-user.
 *
 * qemu keeps a 32-bit guest's address a at host address QEMU_GUEST_BASE + a.
 * The wineserver carries out ReadProcessMemory and WriteProcessMemory for
 * another process by reading /proc/PID/mem at offset a and by ptrace
 * PEEKDATA/POKEDATA at address a: for an emulated process both miss the
 * guest's memory (reads come back wrong, writes fail), so a list view read
 * through remote blocks in another program returns empty cells. Here, when
 * the target process is qemu's, the guest base is added to those offsets and
 * addresses. Every emulated process is started with the same base (scripts
 * export QEMU_GUEST_BASE), so the base of this process's environment is the
 * target's too. With QEMU_GUEST_BASE unset the library changes nothing.
 *
 * How to tell it is no longer needed: a Wine built to read guest memory
 * through qemu itself, or a kernel that runs 32-bit programs natively. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ptrace.h>
#include <sys/types.h>
#include <unistd.h>

static unsigned long long guest_base(void) {
    static int known;
    static unsigned long long base;
    if (!known) {
        const char* text = getenv("QEMU_GUEST_BASE");
        base = text ? strtoull(text, NULL, 0) : 0;
        known = 1;
    }
    return base;
}

static int is_emulated(pid_t pid) {
    char link[64], exe[512];
    snprintf(link, sizeof link, "/proc/%d/exe", (int)pid);
    ssize_t n = readlink(link, exe, sizeof exe - 1);
    if (n <= 0) return 0;
    exe[n] = '\0';
    return strstr(exe, "qemu-i386") != NULL;
}

/* The process whose /proc/PID/mem `fd` is open on, or 0. */
static pid_t mem_file_owner(int fd) {
    char link[64], path[128];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t n = readlink(link, path, sizeof path - 1);
    if (n <= 0) return 0;
    path[n] = '\0';
    int pid = 0;
    char tail[8];
    if (sscanf(path, "/proc/%d/%7s", &pid, tail) != 2 || strcmp(tail, "mem") != 0) return 0;
    return pid;
}

static off_t shifted(int fd, off_t offset) {
    pid_t pid;
    if (guest_base() && (pid = mem_file_owner(fd)) && is_emulated(pid)) return offset + (off_t)guest_base();
    return offset;
}

#define NEXT(name) static __typeof__(name)* real_##name; if (!real_##name) real_##name = dlsym(RTLD_NEXT, #name)

ssize_t pread(int fd, void* buf, size_t count, off_t offset) {
    NEXT(pread);
    return real_pread(fd, buf, count, shifted(fd, offset));
}
ssize_t pread64(int fd, void* buf, size_t count, off_t offset) {
    NEXT(pread64);
    return real_pread64(fd, buf, count, shifted(fd, offset));
}
ssize_t pwrite(int fd, const void* buf, size_t count, off_t offset) {
    NEXT(pwrite);
    return real_pwrite(fd, buf, count, shifted(fd, offset));
}
ssize_t pwrite64(int fd, const void* buf, size_t count, off_t offset) {
    NEXT(pwrite64);
    return real_pwrite64(fd, buf, count, shifted(fd, offset));
}

long ptrace(enum __ptrace_request request, ...) {
    NEXT(ptrace);
    va_list ap;
    va_start(ap, request);
    pid_t pid = va_arg(ap, pid_t);
    char* addr = va_arg(ap, char*);
    void* data = va_arg(ap, void*);
    va_end(ap);
    switch (request) {
        case PTRACE_PEEKDATA:
        case PTRACE_PEEKTEXT:
        case PTRACE_POKEDATA:
        case PTRACE_POKETEXT:
            if (guest_base() && is_emulated(pid)) addr += guest_base();
            break;
        default:
            break;
    }
    return real_ptrace(request, pid, addr, data);
}
