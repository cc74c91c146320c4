#include "ScreenNames.h"
