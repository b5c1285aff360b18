// SPDX-License-Identifier: MIT
#pragma once

// The control bytes live with the rest of the command language in src/protocol.
#include "protocol/controlbytes.h"
