// A file of the stock layer that includes a header of the view layer above
// it: it must not compile.
#include "view/Render.h"
