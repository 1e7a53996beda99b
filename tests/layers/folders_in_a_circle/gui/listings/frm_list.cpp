#include "gui/masterpassword/frm_pchange.h"
