// The default for models written by hand. This file defines nothing else, so the linker takes it
// from the framework library only when no generated object defines the description's hash.
#include "ModelProvenance.h"

const char* const KavrinModelDescriptionSha256 = "";
