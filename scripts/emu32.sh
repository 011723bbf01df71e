# Sourced. The two ways this machine can run 32-bit Windows programs:
#  - natively: the kernel starts Wine's i386 loader itself;
#  - emulated: the kernel runs no 32-bit code (booted with 32-bit emulation
#    off), so i386 programs go through qemu-user, registered for them in
#    binfmt_misc as "tarvex-i386", with the project's fixes for qemu
#    (tools/emu32) preloaded. Wine's own 64-bit programs (wine64) run natively.
# TARVEX_EMULATE_32=1 forces the emulated way on a machine that runs 32-bit
# programs natively; the handler is removed again when that run ends.

emu32_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
EMU32_HANDLER=/proc/sys/fs/binfmt_misc/tarvex-i386
EMU32_LIBS=$emu32_top/build/emu32
EMU32_GUEST_BASE=0x100000000
EMU32_QEMU=/usr/bin/qemu-i386-static

emu32_forced() { [ "${TARVEX_EMULATE_32:-0}" = 1 ]; }
emu32_active() { [ -e "$EMU32_HANDLER" ] && grep -qx enabled "$EMU32_HANDLER"; }

# Whether the kernel itself starts an i386 program (the loader that wine32
# brings). Handlers for i386 programs (ours, or another qemu's), when
# enabled, are switched off meanwhile: they would answer for the kernel.
emu32_kernel_runs_i386() {
  local entry off=() ok=1
  for entry in /proc/sys/fs/binfmt_misc/*; do
    [ -f "$entry" ] && grep -qx enabled "$entry" 2>/dev/null &&
      grep -q '^magic 7f454c46010101' "$entry" && grep -q '^magic .\{36\}0300' "$entry" || continue
    echo 0 > "$entry" && off+=("$entry")
  done
  /lib/ld-linux.so.2 --version >/dev/null 2>&1 || ok=0
  for entry in "${off[@]}"; do echo 1 > "$entry"; done
  [ $ok = 1 ]
}

# The i386 ELF handler, with the fix-binary flag F so that qemu is found
# from any mount namespace or root. A registered handler is left as it is.
emu32_register() {
  [ -e /proc/sys/fs/binfmt_misc/register ] ||
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  [ -e "$EMU32_HANDLER" ] && return 0
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  # printf '%s': the kernel decodes the \x escapes itself.
  printf '%s' ":tarvex-i386:M::$magic:$mask:$EMU32_QEMU:F" > /proc/sys/fs/binfmt_misc/register
}

emu32_unregister() {
  if [ -e "$EMU32_HANDLER" ]; then echo -1 > "$EMU32_HANDLER"; fi
}

# The preload library in both builds, placed so that
# LD_PRELOAD="$EMU32_LIBS/\$LIB/tarvex_emu32.so" (a literal $LIB, expanded by
# the loader) gives each process its own: the guest fixes to i386 programs,
# the memory-access fixes to the 64-bit wineserver.
emu32_build_libs() {
  local src=$emu32_top/tools/emu32 i386=$EMU32_LIBS/lib/i386-linux-gnu x64=$EMU32_LIBS/lib/x86_64-linux-gnu
  mkdir -p "$i386" "$x64"
  gcc -O2 -Wall -Wextra -Werror -m32 -shared -fPIC -nostdlib -o "$i386/tarvex_emu32.so" \
      "$src/guest_fixes.c" /lib/i386-linux-gnu/libc.so.6
  gcc -O2 -Wall -Wextra -Werror -shared -fPIC -o "$x64/tarvex_emu32.so" "$src/server_fixes.c" -ldl
}

# One line for logs: which way this run's 32-bit Windows programs take.
emu32_way() {
  if emu32_active; then
    echo "32-bit Windows programs run emulated ($("$EMU32_QEMU" --version | head -n 1 | sed 's/ (.*//'), binfmt_misc handler tarvex-i386)"
  else
    echo "32-bit Windows programs run natively"
  fi
}
