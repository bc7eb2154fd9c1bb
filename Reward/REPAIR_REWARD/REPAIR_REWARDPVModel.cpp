#include "Reward/REPAIR_REWARD/REPAIR_REWARDPVModel.h"

#include "Atomic/Repairman/RepairmanSAN.h"
#include "Reward/REPAIR_REWARD/REPAIR_REWARDPVNodes.h"

REPAIR_REWARDPVModel::REPAIR_REWARDPVModel(bool expandtimearrays) : PVModel() {
  TheModel = new RepairmanSAN();
  DefineName("REPAIR_REWARDPVModel");
  StateMode = 1;
  CreatePVList(1, expandtimearrays);
  Initialize();
}

REPAIR_REWARDPVModel::~REPAIR_REWARDPVModel() = default;

PerformanceVariableNode* REPAIR_REWARDPVModel::createPVNode(int pvindex, int timeindex) {
  switch (pvindex) {
    case 0:
      return new REPAIR_REWARDPV0(timeindex);
  }
  return nullptr;
}
