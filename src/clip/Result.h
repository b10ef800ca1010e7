#pragma once

#include "bytes/Error.h"

namespace clip {

// Why a clip was refused. The widget only needs "yes or no"; the codes exist so that the tool
// and the tests can tell a damaged file from one we deliberately do not play.
using bytes::describe;
using bytes::Error;
using bytes::ErrorCode;
using bytes::errorCodeName;
using bytes::Result;

}  // namespace clip
