// VeskLayoutformat has inline accessors only; building this file checks that its header stands alone.
#include "model/service/VeskLayoutformat.h"
