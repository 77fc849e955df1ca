#pragma once

// Mouse message numbers, as the notification area reports an icon's clicks and as the
// application's message hook sees presses: the window messages' own numbers.
#include "toolkit/core/messages.h"
