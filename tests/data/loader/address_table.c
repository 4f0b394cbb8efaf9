/* Linked into the 64-bit sample only: a table of addresses over several
   pages, so its DIR64 relocations fill several blocks. */
#define CELLS4(n) &cells[n], &cells[n + 1], &cells[n + 2], &cells[n + 3]
#define CELLS16(n) CELLS4(n), CELLS4(n + 4), CELLS4(n + 8), CELLS4(n + 12)
#define CELLS64(n) CELLS16(n), CELLS16(n + 16), CELLS16(n + 32), CELLS16(n + 48)
#define CELLS256(n) CELLS64(n), CELLS64(n + 64), CELLS64(n + 128), CELLS64(n + 192)

static char cells[1280];
static char* const cell_addresses[1280] = {CELLS256(0), CELLS256(256), CELLS256(512),
                                           CELLS256(768), CELLS256(1024)};

/* index - 640 when the table's address for index was relocated with the
   library; negative below the middle, so callers see signed results too. */
__declspec(dllexport) int vt_cell_offset(int index) {
    return (int)(cell_addresses[(unsigned)index % 1280] - &cells[640]);
}
