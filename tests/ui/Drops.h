// Lives in tests/support now; this name stays while tests still include it.
#pragma once

#include "support/Widgets.h"
