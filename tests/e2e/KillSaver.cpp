// The child of the kill test: saves one kind of file in a loop, generation
// after generation, until it is killed.
//   kill_saver KIND FOLDER FIRST_GENERATION
// It writes "ready" on its output when the loop starts.

#include "tests/e2e/SavedFileKinds.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: kill_saver KIND FOLDER FIRST_GENERATION\n");
        return 2;
    }
    const St_SavedFileKind* kind = FindSavedFileKind(argv[1]);
    if (!kind) {
        std::fprintf(stderr, "kill_saver: no kind %s\n", argv[1]);
        return 2;
    }
    const std::filesystem::path folder = argv[2];
    long generation = std::atol(argv[3]);
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    for (;;) kind->save(folder, generation++);
}
