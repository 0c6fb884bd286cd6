#pragma once
// Byte ranges ("Range: bytes=a-b", "a-", "-n") on whole-body answers.

#include "tools/standin/HttpMessage.h"

namespace standin {

// Turns a 200 answer into 206 (or 416) when the request asks for one
// satisfiable range; several ranges or a malformed header leave the whole
// body (a server may always ignore a range). Adds "Accept-Ranges: bytes".
void ApplyRange(const St_HttpRequest& request, St_HttpReply& reply);

}  // namespace standin
