// Enumerations shared across the framework, the generated models and the simulator.
// Values are fixed: they are written to result files, trace files and description files.
#ifndef KAVRIN_BASECLASSES_KAVRINENUMS_H
#define KAVRIN_BASECLASSES_KAVRINENUMS_H

#include <cstdint>

enum RandomNumberGeneratorType : int32_t {
  LAGGED_FIBONACCI = 0,
  TAUSWORTHE = 1,
  MERSENNE_TWISTER = 2,
  MAX_NUM_GENERATORS = 3
};

// Run control levels of SimulatorClass::SimControl.
enum SimControlLevel : int32_t { GO = 0, STOPSOFT = 1, STOPHARD = 2 };

// Timing of an action: a delay distribution, or Instantaneous.
enum Distribution : int32_t {
  Proprietary = 0,
  Exponential = 1,
  Deterministic = 2,
  Geometric = 3,
  Weibull = 4,
  Normal = 5,
  Lognormal = 6,
  Erlang = 7,
  Triangular = 8,
  Gamma = 9,
  Beta = 10,
  Uniform = 11,
  Binomial = 12,
  NegativeBinomial = 13,
  HyperExponential = 14,
  ConditionalWeibull = 15,
  HypoExponential = 16,
  Pareto = 17,
  Instantaneous = 18
};

// Race policies of timed actions: resampling, enabling memory, age memory.
enum ExecutionPolicyType : int32_t { RaceResampling = 0, RaceEnabled = 1, RaceAge = 2 };

enum ModelType : int32_t {
  InvalidModel = 0,
  AtomicModel = 1,
  JoinModel = 2,
  RepModel = 3,
  GraphJoinModel = 4,
  GraphWrapperModel = 5
};

// Kind of the members of a composite state variable.
enum ArrayType : int32_t {
  ArrayType_SHORT = 0,
  ArrayType_INT = 1,
  ArrayType_CHAR = 2,
  ArrayType_DOUBLE = 3,
  ArrayType_FLOAT = 4,
  ArrayType_ARRAY = 5,
  ArrayType_STRUCT = 6,
  ArrayType_UNORDERED = 7,
  ArrayType_EMPTY = 8
};

enum RewardType : int32_t {
  INSTANT_OF_TIME = 0,
  INTERVAL_OF_TIME = 1,
  TIMEAVE_INTERVAL_OF_TIME = 2,
  STEADY_STATE = 3,
  UNDEFINED = 4
};

// Which kind of run considers a performance variable.
enum PVType : int32_t { terminating = 0, steady_state = 1 };

// State of an interval impulse worker; a node's own Accumulating uses the first three.
enum AccumulationState : int32_t { acc_later = 0, acc_now = 1, acc_done = 2, acc_ignore = 3 };

#endif
