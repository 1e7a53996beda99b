#pragma once
#include "gui/ui/msgbox.h"
