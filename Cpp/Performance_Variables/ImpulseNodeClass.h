// An impulse worker: collects the value earned by the firings of one action for one combination
// of model instances. The variable node asks a prototype (a member of the generated variable class)
// for its workers; the prototype owns them. A worker owns its Name; it borrows the models it reads.
#ifndef KAVRIN_PERFORMANCE_VARIABLES_IMPULSENODECLASS_H
#define KAVRIN_PERFORMANCE_VARIABLES_IMPULSENODECLASS_H

class BaseModelClass;

class ImpulseNodeClass {
 public:
  BaseModelClass*** TheModelPtr;    // addresses of the generated class's own typed model pointers
  BaseModelClass* ContainingModel;  // instance holding the action whose firings this worker collects
  char* Name;                       // C allocation
  int Trace;
  int WorkerNumber;
  int ImpulseNumber;
  int NumberOfModelDependencies;
  int id;
  double Impulse;
  double ImpulseSqr;
  double ImpulseFraction;
  double Start;
  double Stop;

  ImpulseNodeClass();
  virtual ~ImpulseNodeClass();

  virtual void completeAccumulation(double doneTime) = 0;
  virtual double Impulse_Function(double t) = 0;
  virtual void Accumulate(double new_time, double last_event_time) = 0;
  virtual void CurrentImpulse() = 0;
  virtual void Reset() = 0;
  virtual ImpulseNodeClass** CreateImpulseWorkerList(int n) = 0;

  // Binds model slot k. Generated classes whose model pointers are typed override this to store
  // through their own type; the default writes through TheModelPtr.
  virtual void SetModelPointer(int k, BaseModelClass* model);

  void DefineName(const char* name, int impulseNumber, int workerNumber);
  double min(double a, double b) { return a < b ? a : b; }
  double max(double a, double b) { return a > b ? a : b; }

  ImpulseNodeClass(const ImpulseNodeClass&) = delete;
  ImpulseNodeClass& operator=(const ImpulseNodeClass&) = delete;
};

#endif
