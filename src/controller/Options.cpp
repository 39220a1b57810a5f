#include "controller/Options.h"
