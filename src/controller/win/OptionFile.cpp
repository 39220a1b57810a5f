#include "controller/win/OptionFile.h"
