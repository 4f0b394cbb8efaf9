/* A library with the features the loader has to handle: exports, imports by
   name (kernel32, msvcrt) and by ordinal (ws2_32), writable data set by the
   entry point, and tables of addresses that need relocating. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

/* Imported by ordinal through the import library made from ws2_32_ordinals.def. */
__declspec(dllimport) unsigned short __stdcall htons(unsigned short value);

static int attach_count;
static HINSTANCE own_base;

static const char* const colours[] = {"red", "orange", "yellow", "green", "blue", "indigo",
                                      "violet", "black", "white", "grey", "brown", "pink"};

static int add(int a, int b) { return a + b; }
static int subtract(int a, int b) { return a - b; }
static int multiply(int a, int b) { return a * b; }
static int maximum(int a, int b) { return a > b ? a : b; }
static int (*const operations[])(int, int) = {add, subtract, multiply, maximum};

static int counters[4];
static int* const counter_slots[] = {&counters[0], &counters[1], &counters[2], &counters[3]};

__declspec(dllexport) int vt_attach_count(void) { return attach_count; }

__declspec(dllexport) ULONG_PTR vt_own_base(void) { return (ULONG_PTR)own_base; }

__declspec(dllexport) int vt_apply(int operation, int a, int b) {
    return operations[operation & 3](a, b);
}

__declspec(dllexport) int vt_colour_length(int index) {
    return (int)strlen(colours[index % 12]);
}

__declspec(dllexport) int vt_bump(int slot) { return ++*counter_slots[slot & 3]; }

__declspec(dllexport) int vt_format(char* out, int size, int value) {
    return _snprintf(out, size, "%s=%d", colours[value % 12], value);
}

__declspec(dllexport) int vt_text_length(const char* text) { return lstrlenA(text); }

__declspec(dllexport) unsigned vt_swap16(unsigned value) { return htons((unsigned short)value); }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        own_base = instance;
        ++attach_count;
    }
    return TRUE;
}
