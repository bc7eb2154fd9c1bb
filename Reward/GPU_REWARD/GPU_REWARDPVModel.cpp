#include "Reward/GPU_REWARD/GPU_REWARDPVModel.h"

#include "Atomic/GPU_MODEL_ATOMIC_COMPOSITION/GPU_MODEL_ATOMIC_COMPOSITIONSAN.h"
#include "Reward/GPU_REWARD/GPU_REWARDPVNodes.h"

GPU_REWARDPVModel::GPU_REWARDPVModel(bool expandtimearrays) : PVModel() {
  TheModel = new GPU_MODEL_ATOMIC_COMPOSITIONSAN();
  DefineName("GPU_REWARDPVModel");
  StateMode = 1;
  CreatePVList(1, expandtimearrays);
  Initialize();
}

GPU_REWARDPVModel::~GPU_REWARDPVModel() = default;

PerformanceVariableNode* GPU_REWARDPVModel::createPVNode(int pvindex, int timeindex) {
  switch (pvindex) {
    case 0:
      return new GPU_REWARDPV0(timeindex);
  }
  return nullptr;
}
