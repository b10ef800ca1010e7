#include "app/core/Shared.h"
