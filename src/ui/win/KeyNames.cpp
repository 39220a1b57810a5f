#include "ui/win/KeyNames.h"
