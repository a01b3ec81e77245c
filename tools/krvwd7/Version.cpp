#include "Version.h"

const char* Krvwd7Version() { return KRVWD7_VERSION; }
