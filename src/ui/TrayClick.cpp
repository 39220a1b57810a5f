#include "ui/TrayClick.h"
