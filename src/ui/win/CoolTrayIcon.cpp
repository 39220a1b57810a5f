#include "ui/win/CoolTrayIcon.h"
