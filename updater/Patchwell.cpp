#include "updater/Patchwell.h"
