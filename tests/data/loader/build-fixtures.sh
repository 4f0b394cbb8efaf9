#!/usr/bin/env bash
# Builds the PE32 library fixtures with the mingw-w64 cross compiler and writes
# what objdump reads from them: the HIGHLOW relocation list and the export
# table. The flags make the bytes the same on every run, so the committed
# libraries can be rebuilt and compared.
# Usage: tests/data/loader/build-fixtures.sh
set -euo pipefail
cd "$(dirname "$0")"
cc=i686-w64-mingw32-gcc
command -v "$cc" >/dev/null || { echo "$cc missing: scripts/install-deps.sh test" >&2; exit 1; }
objdump=objdump
$objdump -i 2>/dev/null | grep -q '^pei-i386' || objdump=i686-w64-mingw32-objdump

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# No C runtime start-up code: the entry point is the library's own DllMain.
flags=(-O2 -shared -nostdlib -s -static-libgcc -fno-asynchronous-unwind-tables
       -Wl,--kill-at -Wl,--no-insert-timestamp -Wl,--image-base,0x10000000
       -Wl,--entry,_DllMain@12 -Wl,--dynamicbase)

i686-w64-mingw32-dlltool -k -d ws2_32_ordinals.def -l "$work/libws2_32_ordinals.a"
$cc "${flags[@]}" -o sample.dll sample.c "$work/libws2_32_ordinals.a" -lkernel32 -lmsvcrt
$cc "${flags[@]}" -o failing_entry.dll failing_entry.c -lkernel32
$cc "${flags[@]}" -o numbered_exports.dll numbered_exports.c numbered_exports.def

# The HIGHLOW words objdump lists, one relative address per line, and the
# exports as "name relative-address" lines.
listing() {
    $objdump -p "$1" | python3 -c '
import re, sys
mode, page, base, rvas, names = sys.argv[1], 0, 1, {}, []
table = None
for line in sys.stdin:
    if m := re.match(r"Virtual Address: ([0-9a-fA-F]+)", line):
        page = int(m[1], 16)
    elif mode == "relocations" and (m := re.match(r"\s+reloc\s+\d+ offset\s+([0-9a-f]+) .*HIGHLOW", line)):
        print("%08x" % (page + int(m[1], 16)))
    elif m := re.match(r"Ordinal Base\s+(\d+)", line):
        base = int(m[1])
    elif line.startswith("Export Address Table"):
        table = "functions"
    elif line.startswith("[Ordinal/Name Pointer] Table"):
        table = "names"
    elif not line.strip():
        table = None
    elif table == "functions" and (m := re.match(r"\s*\[\s*(\d+)\] \+base\[\s*(\d+)\]\s+([0-9a-f]+)", line)):
        rvas[int(m[1])] = m[3]
    elif table == "names" and (m := re.match(r"\s*\[\s*(\d+)\] (\S+)", line)):
        names.append((m[2], rvas[int(m[1])]))
if mode == "exports":
    for name, rva in names:
        print(name, rva)
' "$2"
}

for dll in sample numbered_exports; do
    listing $dll.dll relocations >$dll.dll.relocations
    listing $dll.dll exports >$dll.dll.exports
done
sha256sum sample.dll failing_entry.dll numbered_exports.dll
