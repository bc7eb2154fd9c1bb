// Reward model GPU_REWARD over the atomic model GPU_MODEL_ATOMIC_COMPOSITION: one variable, "token_game".
#ifndef GPU_REWARDPVMODEL_H
#define GPU_REWARDPVMODEL_H

#include "Performance_Variables/PVModel.h"

class GPU_REWARDPVModel : public PVModel {
 public:
  explicit GPU_REWARDPVModel(bool expandtimearrays);
  ~GPU_REWARDPVModel() override;
  PerformanceVariableNode* createPVNode(int pvindex, int timeindex) override;
};

#endif
