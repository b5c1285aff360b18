// SPDX-License-Identifier: MIT
#pragma once

#include "farend.h"

// The name the window's and the jobs' tests know the far end by.
using PtyPair = FarEnd;
