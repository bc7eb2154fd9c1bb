// Written by hand.
#include "Reward/MM1_REWARD/MM1_REWARDPVModel.h"

#include "Atomic/MM1/MM1SAN.h"
#include "Reward/MM1_REWARD/MM1_REWARDPVNodes.h"

MM1_REWARDPVModel::MM1_REWARDPVModel(bool expandtimearrays) : PVModel() {
  TheModel = new MM1SAN();
  DefineName("MM1_REWARDPVModel");
  StateMode = 1;
  CreatePVList(2, expandtimearrays);
  Initialize();
}

MM1_REWARDPVModel::~MM1_REWARDPVModel() = default;

PerformanceVariableNode* MM1_REWARDPVModel::createPVNode(int pvindex, int timeindex) {
  switch (pvindex) {
    case 0:
      return new MM1_REWARDPV0(timeindex);
    case 1:
      return new MM1_REWARDPV1(timeindex);
  }
  return nullptr;
}
