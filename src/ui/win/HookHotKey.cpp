#include "ui/win/HookHotKey.h"
