#pragma once
// Drawing layer for the project's C++ code: the public C interface of the drawing library (its
// handles, constants, object descriptions and functions with C linkage) over the scalar and
// geometry types of system/wintypes.h. See kvgdi.h for the rules every call keeps.
#include "system/wintypes.h"

#ifndef KVGDI_SYSTEM_TYPES
#define KVGDI_SYSTEM_TYPES
#endif
#include "kvgdi.h"
