// Reward model BANK_REWARD over the atomic model BANK: one steady-state variable,
// "mean_in_queue0", the time-averaged marking of Q0 (a rate reward that reads one place, so that
// its cost does not grow with the bank).
#ifndef BANK_REWARDPVMODEL_H
#define BANK_REWARDPVMODEL_H

#include "Performance_Variables/PVModel.h"

class BANK_REWARDPVModel : public PVModel {
 public:
  explicit BANK_REWARDPVModel(bool expandtimearrays);
  ~BANK_REWARDPVModel() override;
  PerformanceVariableNode* createPVNode(int pvindex, int timeindex) override;
};

#endif
