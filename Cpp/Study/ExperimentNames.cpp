// The default for studies written by hand. This file defines nothing else, so the linker takes it
// from the framework library only when no generated object defines the experiments' names.
#include "ExperimentNames.h"

const char* const* const KavrinExperimentNames = nullptr;
