#pragma once
// Trace lines of the library's windows. They go to standard output, like the
// rest of the library's traces, unless a sink is installed (the library can
// hand them to its own trace function; tests capture them).

#include <functional>
#include <string_view>

namespace patchwell {

using UiTraceSink = std::function<void(std::string_view)>;

// An empty sink restores standard output.
void SetUiTraceSink(UiTraceSink sink);

// Writes the text as it is (the caller supplies any line end).
void UiTrace(std::string_view text);

}  // namespace patchwell
