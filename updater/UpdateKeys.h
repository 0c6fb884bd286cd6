#pragma once
// The update keys compiled into the library: the current key first, then the
// next one when the build names it. The build options PATCHWELL_UPDATE_KEY
// and PATCHWELL_UPDATE_KEY_NEXT name their public key files.

#include "updater/UpdateSignature.h"

#include <span>

namespace patchwell {

std::span<const UpdateKey> CompiledInUpdateKeys();

}  // namespace patchwell
