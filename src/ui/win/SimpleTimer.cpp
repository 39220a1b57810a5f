#include "ui/win/SimpleTimer.h"
