// Compiled with the include directories of the library or of the tool's
// commands, this file must not compile: neither may see the in-memory
// host's own headers.
#include "MemProduct.h"
