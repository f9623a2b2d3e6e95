#include "viewer/form2.h"
