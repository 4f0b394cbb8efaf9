/* A library whose entry point refuses the attach and leaves a trace of the
   detach that follows it. */
#include <windows.h>

__declspec(dllexport) int vt_never_reached(void) { return 1; }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_DETACH) SetEnvironmentVariableA("VANTREL_DETACHED", "yes");
    return reason != DLL_PROCESS_ATTACH;
}
