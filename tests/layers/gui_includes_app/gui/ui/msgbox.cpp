#include "app/termination.h"
