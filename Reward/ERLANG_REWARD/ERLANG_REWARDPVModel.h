// Reward model ERLANG_REWARD over the atomic model ErlangLoss: "all_busy" and "blocked", both
// steady state.
#ifndef ERLANG_REWARDPVMODEL_H
#define ERLANG_REWARDPVMODEL_H

#include "Performance_Variables/PVModel.h"

class ERLANG_REWARDPVModel : public PVModel {
 public:
  explicit ERLANG_REWARDPVModel(bool expandtimearrays);
  ~ERLANG_REWARDPVModel() override;
  PerformanceVariableNode* createPVNode(int pvindex, int timeindex) override;
};

#endif
