#pragma once
// Patchwell: the online-update library. Its functions are exported with C
// linkage so the player can bind them by name at run time.

#if defined(_WIN32)
#define PATCHWELL_EXPORT extern "C" __declspec(dllexport)
#else
#define PATCHWELL_EXPORT extern "C" __attribute__((visibility("default")))
#endif
