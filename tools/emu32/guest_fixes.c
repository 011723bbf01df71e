/* Preloaded into every 32-bit (i386) program that Wine runs under qemu-user
 * on a machine whose kernel runs no 32-bit code. It mends two faults of
 * qemu-user (seen in Debian's 7.2 and in 10.0) that break Wine:
 *
 * 1. MAP_FIXED_NOREPLACE is taken as a mere hint: when the range is taken,
 *    qemu maps the block elsewhere and reports success. Wine's address-space
 *    reservation then splits its blocks into ~130 000 mmap/munmap calls, about
 *    50 s per program start. Here such a mapping that did not land where it
 *    was asked for is undone and fails with EEXIST, as the kernel does.
 *
 * 2. The trap number in the signal context of a fault is -1, so Wine turns
 *    every access violation into an illegal instruction (IsBadReadPtr,
 *    structured exception handling and C++ fault handling break). Here the
 *    fault handlers Wine installs are wrapped, and a trap number outside
 *    0..31 is filled in from the signal and its si_code first.
 *
 * How to tell it is no longer needed: with the library left out
 * (TARVEX_EMU32_NO_FIXES=1 for scripts/test.sh), a fresh Wine
 * prefix is made in well under a minute and the Wine suite's fault checks
 * pass.
 *
 * Built with the system's x86-64 gcc as `gcc -m32 -nostdlib` against the i386
 * libc that wine32 brings: no 32-bit development headers are needed, so the
 * few declarations it uses are written out here for the i386 Linux ABI. */

#include <stdarg.h>
#include <stddef.h>

typedef long off_t32;
typedef long long off_t64;

void* dlsym(void* handle, const char* name);
int* __errno_location(void);
int munmap(void* addr, size_t length);

#define RTLD_NEXT ((void*)-1l)
#define MAP_FAILED ((void*)-1)
#define MAP_FIXED_NOREPLACE 0x100000
#define EEXIST 17

/* ---- 1. MAP_FIXED_NOREPLACE ---------------------------------------------- */

static void* refuse_misplaced(void* got, void* want, size_t length, int flags) {
    if (got == MAP_FAILED || !(flags & MAP_FIXED_NOREPLACE) || got == want) return got;
    munmap(got, length);
    *__errno_location() = EEXIST;
    return MAP_FAILED;
}

void* mmap(void* addr, size_t length, int prot, int flags, int fd, off_t32 offset) {
    static void* (*real)(void*, size_t, int, int, int, off_t32);
    if (!real) real = dlsym(RTLD_NEXT, "mmap");
    return refuse_misplaced(real(addr, length, prot, flags, fd, offset), addr, length, flags);
}

void* mmap64(void* addr, size_t length, int prot, int flags, int fd, off_t64 offset) {
    static void* (*real)(void*, size_t, int, int, int, off_t64);
    if (!real) real = dlsym(RTLD_NEXT, "mmap64");
    return refuse_misplaced(real(addr, length, prot, flags, fd, offset), addr, length, flags);
}

/* ---- 2. Trap numbers in fault signal contexts ---------------------------- */

enum { SIGILL = 4, SIGTRAP = 5, SIGBUS = 7, SIGFPE = 8, SIGSEGV = 11, NSIG = 65 };
enum { SA_SIGINFO = 4 };
enum { SI_KERNEL = 0x80, FPE_INTDIV = 1, FPE_INTOVF = 2, TRAP_BRKPT = 1, TRAP_TRACE = 2 };
/* x86 exception vectors, as Wine reads them from the context */
enum { T_DIVIDE = 0, T_DEBUG = 1, T_BREAKPOINT = 3, T_OVERFLOW = 4, T_INVALID_OP = 6,
       T_GENERAL_PROTECTION = 13, T_PAGE_FAULT = 14, T_X87 = 16 };

typedef struct {
    int si_signo, si_errno, si_code;
} siginfo_head;

/* i386 ucontext_t up to the general registers: uc_flags, uc_link, uc_stack
 * (ss_sp, ss_flags, ss_size), then mcontext_t's gregs[19]. */
typedef struct {
    unsigned long uc_flags;
    void* uc_link;
    void* ss_sp;
    int ss_flags;
    size_t ss_size;
    unsigned long gregs[19];
} ucontext_head;
enum { REG_TRAPNO = 12 };

typedef void (*info_handler)(int, void*, void*);

/* glibc's i386 struct sigaction */
struct k_sigaction_i386 {
    info_handler handler;
    unsigned long mask[32];
    int flags;
    void (*restorer)(void);
};

static info_handler wrapped[NSIG];

static int is_fault(int sig) {
    return sig == SIGSEGV || sig == SIGBUS || sig == SIGILL || sig == SIGFPE || sig == SIGTRAP;
}

static unsigned long trap_for(const siginfo_head* info) {
    switch (info->si_signo) {
        case SIGSEGV:
            return info->si_code == SI_KERNEL ? T_GENERAL_PROTECTION : T_PAGE_FAULT;
        case SIGBUS:
            return T_GENERAL_PROTECTION;
        case SIGILL:
            return T_INVALID_OP;
        case SIGFPE:
            return info->si_code == FPE_INTDIV ? T_DIVIDE : info->si_code == FPE_INTOVF ? T_OVERFLOW : T_X87;
        default: /* SIGTRAP: a debug exception (single step, hardware breakpoint) or int3 */
            return info->si_code == TRAP_BRKPT || info->si_code == TRAP_TRACE ? T_DEBUG : T_BREAKPOINT;
    }
}

static void fill_trap_then_forward(int sig, void* info, void* context) {
    ucontext_head* uc = context;
    if (info && uc && uc->gregs[REG_TRAPNO] > 31) uc->gregs[REG_TRAPNO] = trap_for(info);
    wrapped[sig](sig, info, context);
}

int sigaction(int sig, const struct k_sigaction_i386* act, struct k_sigaction_i386* old) {
    static int (*real)(int, const struct k_sigaction_i386*, struct k_sigaction_i386*);
    if (!real) real = dlsym(RTLD_NEXT, "sigaction");
    if (!is_fault(sig)) return real(sig, act, old);

    info_handler previous = wrapped[sig];
    struct k_sigaction_i386 mine;
    const struct k_sigaction_i386* pass = act;
    if (act && (act->flags & SA_SIGINFO) && (unsigned long)act->handler > 1) { /* not SIG_DFL, SIG_IGN */
        mine = *act;
        mine.handler = fill_trap_then_forward;
        pass = &mine;
        wrapped[sig] = act->handler; /* before the wrapper can run */
    }
    int r = real(sig, pass, old);
    if (r != 0) wrapped[sig] = previous;
    else if (act && pass != &mine) wrapped[sig] = 0;
    /* Callers see their own handler, never the wrapper. */
    if (r == 0 && old && old->handler == fill_trap_then_forward) old->handler = previous;
    return r;
}
