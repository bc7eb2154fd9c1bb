// State: the abstract holder of one model state (a copy of a model's state image), used by
// tools that store, compare and hash states.
#ifndef KAVRIN_BASECLASSES_STATE_H
#define KAVRIN_BASECLASSES_STATE_H

#include <cstdio>

class BaseModelClass;

class State {
 public:
  State() = default;
  State(const State&) = delete;

  virtual int hash() const;
  virtual int compare(const State& other) const;
  virtual void print() const = 0;
  // Both return 0 on success and 1 when the bytes could not be moved.
  virtual int fwriteState(FILE* f) const = 0;
  virtual int freadState(FILE* f) = 0;
  virtual State& operator=(const State& other) = 0;
  virtual ~State();
  // Loads this state into the model.
  virtual void SetState(const BaseModelClass* model) const = 0;
  // Takes the model's current state into this holder.
  virtual void GetState(const BaseModelClass* model) = 0;
  virtual void* GetStatePtr() = 0;
};

#endif
