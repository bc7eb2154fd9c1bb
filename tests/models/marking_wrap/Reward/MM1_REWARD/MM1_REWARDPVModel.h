// Reward model MM1_REWARD over the atomic model MM1, written by hand.
#ifndef MM1_REWARDPVMODEL_H
#define MM1_REWARDPVMODEL_H

#include "Performance_Variables/PVModel.h"

class MM1_REWARDPVModel : public PVModel {
 public:
  explicit MM1_REWARDPVModel(bool expandtimearrays);
  ~MM1_REWARDPVModel() override;
  PerformanceVariableNode* createPVNode(int pvindex, int timeindex) override;
};

#endif
