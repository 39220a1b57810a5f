#include "ui/ShortcutText.h"
