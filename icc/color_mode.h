#pragma once
// The colour-space codes are shared with the images subsystem.
#include "foundation/color_mode.h"
