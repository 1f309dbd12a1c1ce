#pragma once
// The whole foundation in one include.
#include "foundation/carbon_file.h"
#include "foundation/debug_pointer.h"
#include "foundation/exception.h"
#include "foundation/factory.h"
#include "foundation/holders.h"
#include "foundation/location.h"
#include "foundation/singleton.h"
#include "foundation/stream.h"
#include "foundation/unistring.h"
#include "foundation/value.h"
#include "foundation/vertex.h"
