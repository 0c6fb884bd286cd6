#pragma once
// Patchwell: the online-update library. Its functions are exported with C
// linkage so a host program can bind them by name at run time; a host that
// does so takes their types from here (decltype(&SetPrjCode)), never from a
// copy of the signatures of its own.
//
// Integers are 32-bit; texts are zero-terminated, in the system code page.
// No export lets an error escape: a call that failed inside answers with the
// result given for failure below.

#if defined(_WIN32)
#if defined(PATCHWELL_BUILDING)
#define PATCHWELL_EXPORT extern "C" __declspec(dllexport)
#else
#define PATCHWELL_EXPORT extern "C" __declspec(dllimport)
#endif
#else
#define PATCHWELL_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// Chooses the product (the project code) and reads its update state again.
// Always 47.
PATCHWELL_EXPORT int SetPrjCode(int projectCode);

// Starts the background update check for the host's update code and version:
// 1 when a check or a download was started or resumed, 0 when a downloaded
// update waits for installation or the call failed. The work goes on in
// timers of the calling thread, which must run an event loop.
PATCHWELL_EXPORT int CheckUpdate(int* hostUpdateCode, const char* version, int projectCode);

// 1 when a downloaded, verified package is ready to install, else 0.
PATCHWELL_EXPORT int SetupNewVersion();

// Starts a package download: deleteFirst 1 throws away what was received;
// kind 0 the main package, 1 the patch, 2 the current target. Always 0.
PATCHWELL_EXPORT int DownloadSetupFile(int deleteFirst, int kind);

// Runs the package (launch 1) or only counts the attempt (launch 0): 0 when
// launching was asked for and the package failed verification, or when the
// call failed; else 1.
PATCHWELL_EXPORT int InstallFile(int launch);

// Records the downloaded release as installed: 1 when the pending manifest
// became the local one, else 0. The argument is ignored.
PATCHWELL_EXPORT int CompleteSetup(int ignored);

// The local update state: 0 nothing pending, 1 a package waits, 2 a download
// is under way.
PATCHWELL_EXPORT int CheckNewSetup();

// Does nothing.
PATCHWELL_EXPORT void Release();
