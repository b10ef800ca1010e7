#pragma once

#include "bytes/Error.h"

namespace acs {

// How hard the reader is on rule violations. Strict (tools, tests): any broken rule fails the
// load. Lenient (the app): a broken animation or image is dropped or neutralised with a warning
// and the rest of the character stays playable.
enum class Mode { Strict, Lenient };

using bytes::Error;
using bytes::ErrorCode;
using bytes::errorCodeName;

}  // namespace acs
