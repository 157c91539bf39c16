// The stand-ins live in tests/support now; this name stays while tests still include it.
#pragma once

#include "support/CatalogueTree.h"
#include "support/Fakes.h"
#include "support/HostScratch.h"
