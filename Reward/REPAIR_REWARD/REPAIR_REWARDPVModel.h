// Reward model REPAIR_REWARD over the atomic model Repairman: "machines_down" (steady state).
#ifndef REPAIR_REWARDPVMODEL_H
#define REPAIR_REWARDPVMODEL_H

#include "Performance_Variables/PVModel.h"

class REPAIR_REWARDPVModel : public PVModel {
 public:
  explicit REPAIR_REWARDPVModel(bool expandtimearrays);
  ~REPAIR_REWARDPVModel() override;
  PerformanceVariableNode* createPVNode(int pvindex, int timeindex) override;
};

#endif
