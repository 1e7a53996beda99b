#pragma once

#include <QString>
#include "app/startupprocedure.h" // written loosely, still an include
