#include "Reward/ERLANG_REWARD/ERLANG_REWARDPVModel.h"

#include "Atomic/ErlangLoss/ErlangLossSAN.h"
#include "Reward/ERLANG_REWARD/ERLANG_REWARDPVNodes.h"

ERLANG_REWARDPVModel::ERLANG_REWARDPVModel(bool expandtimearrays) : PVModel() {
  TheModel = new ErlangLossSAN();
  DefineName("ERLANG_REWARDPVModel");
  StateMode = 1;
  CreatePVList(2, expandtimearrays);
  Initialize();
}

ERLANG_REWARDPVModel::~ERLANG_REWARDPVModel() = default;

PerformanceVariableNode* ERLANG_REWARDPVModel::createPVNode(int pvindex, int timeindex) {
  switch (pvindex) {
    case 0:
      return new ERLANG_REWARDPV0(timeindex);
    case 1:
      return new ERLANG_REWARDPV1(timeindex);
  }
  return nullptr;
}
