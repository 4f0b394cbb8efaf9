/* Exports whose ordinals run against their name order (see
   numbered_exports.def): walking the names by position picks the wrong
   function, the name-ordinal table the right one. */
#include <windows.h>

int vt_alpha(void) { return 1; }
int vt_beta(void) { return 2; }
int vt_gamma(void) { return 3; }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
