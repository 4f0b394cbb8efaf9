#!/usr/bin/env bash
# Builds the library fixtures with the mingw-w64 cross compilers, PE32
# (i686) and PE32+ (x86-64, named *64.dll), and writes what objdump reads
# from them: the relocated words (HIGHLOW or DIR64) and the export table. The
# flags make the bytes the same on every run, so the committed libraries can
# be rebuilt and compared.
# Usage: tests/data/loader/build-fixtures.sh
set -euo pipefail
cd "$(dirname "$0")"
for cc in i686-w64-mingw32-gcc x86_64-w64-mingw32-gcc; do
    command -v "$cc" >/dev/null || { echo "$cc missing: scripts/install-deps.sh test" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# No C runtime start-up code: the entry point is the library's own DllMain.
# The 64-bit libraries prefer a base above 4 GiB, as 64-bit libraries do, so
# their addresses need all eight bytes of a word; they keep the unwind data
# that exceptions passing through their code need.
common=(-O2 -shared -nostdlib -s -static-libgcc -Wl,--kill-at -Wl,--no-insert-timestamp
        -Wl,--dynamicbase)
flags32=("${common[@]}" -fno-asynchronous-unwind-tables -Wl,--image-base,0x10000000
         -Wl,--entry,_DllMain@12)
flags64=("${common[@]}" -Wl,--image-base,0x200000000000 -Wl,--entry,DllMain)

# ws2_32 is imported by ordinal only; a 64-bit name carries no @-suffix.
i686-w64-mingw32-dlltool -k -d ws2_32_ordinals.def -l "$work/libws2_32_ordinals.a"
sed 's/@[0-9]* @/ @/' ws2_32_ordinals.def >"$work/ws2_32_ordinals64.def"
x86_64-w64-mingw32-dlltool -d "$work/ws2_32_ordinals64.def" -l "$work/libws2_32_ordinals64.a"

cc=i686-w64-mingw32-gcc
$cc "${flags32[@]}" -o sample.dll sample.c "$work/libws2_32_ordinals.a" -lkernel32 -lmsvcrt
$cc "${flags32[@]}" -o failing_entry.dll failing_entry.c -lkernel32
$cc "${flags32[@]}" -o numbered_exports.dll numbered_exports.c numbered_exports.def

cc=x86_64-w64-mingw32-gcc
$cc "${flags64[@]}" -o sample64.dll sample.c address_table.c "$work/libws2_32_ordinals64.a" \
    -lkernel32 -lmsvcrt
$cc "${flags64[@]}" -o failing_entry64.dll failing_entry.c -lkernel32
$cc "${flags64[@]}" -o numbered_exports64.dll numbered_exports.c numbered_exports.def

# The relocated words objdump lists, one relative address per line, and the
# exports as "name relative-address" lines.
listing() {
    objdump -p "$1" | python3 -c '
import re, sys
mode, page, base, rvas, names = sys.argv[1], 0, 1, {}, []
table = None
for line in sys.stdin:
    if m := re.match(r"Virtual Address: ([0-9a-fA-F]+)", line):
        page = int(m[1], 16)
    elif mode == "relocations" and (m := re.match(r"\s+reloc\s+\d+ offset\s+([0-9a-f]+) .*(HIGHLOW|DIR64)", line)):
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

for dll in sample numbered_exports sample64 numbered_exports64; do
    listing $dll.dll relocations >$dll.dll.relocations
    listing $dll.dll exports >$dll.dll.exports
done
sha256sum ./*.dll
