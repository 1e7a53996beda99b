#include "gui/listings/frm_list.h"
