#pragma once
// The update library's few trace lines go to standard output. Tests replace
// the destination with a sink of their own.

#include <functional>
#include <string_view>

namespace patchwell {

// Writes the text as it is (the caller supplies any line end).
void TraceOut(std::string_view text);

// While a sink is installed, TraceOut hands it the text instead of writing
// to standard output. An empty sink restores standard output.
using TraceOutSink = std::function<void(std::string_view)>;
void SetTraceOutSink(TraceOutSink sink);

}  // namespace patchwell
