// Scenarios of the elevated build, KV2A.
#include "Kv2Scenario.h"
