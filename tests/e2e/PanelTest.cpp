// Scenarios of the icon panel beside a real target.
#include "Kv2Scenario.h"
