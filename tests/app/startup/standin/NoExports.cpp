// A library named like the update library that exports none of its
// functions.

namespace {
int g_unused = 0;
}

int PatchwellStandInNothing() { return g_unused; }
