#include "bench/models/BANK/BANK_REWARDPVModel.h"

#include "bench/models/BANK/BANKSAN.h"
#include "bench/models/BANK/BANK_REWARDPVNodes.h"

BANK_REWARDPVModel::BANK_REWARDPVModel(bool expandtimearrays) : PVModel() {
  TheModel = new BANKSAN();
  DefineName("BANK_REWARDPVModel");
  StateMode = 1;
  CreatePVList(1, expandtimearrays);
  Initialize();
}

BANK_REWARDPVModel::~BANK_REWARDPVModel() = default;

PerformanceVariableNode* BANK_REWARDPVModel::createPVNode(int pvindex, int timeindex) {
  if (pvindex == 0) return new BANK_REWARDPV0(timeindex);
  return nullptr;
}
