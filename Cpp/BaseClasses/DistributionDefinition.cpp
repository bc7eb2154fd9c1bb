#include "BaseClasses/DistributionDefinition.h"

UserDistributions TheGenerator(0, 31415);
// Constant-initialised: valid before any other unit's static initialisers run.
UserDistributions* TheDistribution = &TheGenerator;
