// The atomic SAN "GPU_MODEL_ATOMIC_COMPOSITION": an instruction dispatcher walking a five-entry
// scheduler array, the memory transactions it requests and the ALU step, all instantaneous.
// Generated against the model framework; the model owns its places, its SCHEDULER array, its
// activities and its groups (members, destroyed with it).
#ifndef GPU_MODEL_ATOMIC_COMPOSITIONSAN_H
#define GPU_MODEL_ATOMIC_COMPOSITIONSAN_H

#include "BaseClasses/PostselectGroup.h"
#include "BaseClasses/PreselectGroup.h"
#include "BaseClasses/SAN/Activity.h"
#include "BaseClasses/SAN/ExtendedPlace.h"
#include "BaseClasses/SAN/Place.h"
#include "BaseClasses/SAN/SANModel.h"
#include "BaseClasses/state/ArrayStateVariable.h"

// The SCHEDULER array: five 32-bit places named "0" .. "4" under the array's name. It owns them.
class Instructions : public ArrayStateVariable<ExtendedPlace<int>> {
 public:
  Instructions(const char* name, int initialValue);
  ~Instructions() override;
  Instructions(const Instructions&) = delete;
  Instructions& operator=(const Instructions&) = delete;
};

class GPU_MODEL_ATOMIC_COMPOSITIONSAN : public SANModel {
 public:
  Place* TOTAL_PERFORM_OK_READ;
  Place* TOTAL_PERFORM_KO_READ;
  Place* RESULT_OK_CONTENT;
  Place* RESULT_KO_CONTENT;
  Place* RESULT_KO;
  Place* RESULT_OK;
  Place* ALU_INSTRUCTION;
  Place* OUTPUT_MEMORY;
  Place* WRITE_RESULT_MEMORY;
  Place* RESULT_MEMORY;
  Place* READ_TOTAL_MEMORY;
  Place* TOTAL_MEMORY;
  Place* RESULT_PERFORM_OK_READ;
  Place* RESULT_PERFORM_KO_READ;
  Place* OUTPUT_OK_CONTENT;
  Place* OUTPUT_KO_CONTENT;
  Place* READ_RESULT_MEMORY;
  Place* WRITE_OUTPUT_MEMORY;
  Place* ALU_INSTRUCTION_WITH_INPUT;
  Place* INST_COUNTER;
  Instructions* SCHEDULER;

  class T_READ_TOTALActivity_case1 : public Activity {
   public:
    Place* TOTAL_MEMORY;
    short* TOTAL_MEMORY_Kavrin_Mark;
    Place* TOTAL_PERFORM_OK_READ;
    short* TOTAL_PERFORM_OK_READ_Kavrin_Mark;
    double* TheDistributionParameters;

    T_READ_TOTALActivity_case1();
    ~T_READ_TOTALActivity_case1() override;
    bool Enabled() override;
    double Weight() override;
    double Rate() override;
    bool ReactivationPredicate() override;
    bool ReactivationFunction() override;
    double SampleDistribution() override;
    double* ReturnDistributionParameters() override;
    BaseActionClass* Fire() override;
    int Rank() override;
    void LinkVariables() override;
  };

  class T_READ_TOTALActivity_case2 : public Activity {
   public:
    Place* TOTAL_MEMORY;
    short* TOTAL_MEMORY_Kavrin_Mark;
    Place* TOTAL_PERFORM_KO_READ;
    short* TOTAL_PERFORM_KO_READ_Kavrin_Mark;
    double* TheDistributionParameters;

    T_READ_TOTALActivity_case2();
    ~T_READ_TOTALActivity_case2() override;
    bool Enabled() override;
    double Weight() override;
    double Rate() override;
    bool ReactivationPredicate() override;
    bool ReactivationFunction() override;
    double SampleDistribution() override;
    double* ReturnDistributionParameters() override;
    BaseActionClass* Fire() override;
    int Rank() override;
    void LinkVariables() override;
  };

  class T_WRITE_RESULTActivity_case1 : public Activity {
   public:
    Place* RESULT_MEMORY;
    short* RESULT_MEMORY_Kavrin_Mark;
    Place* RESULT_OK_CONTENT;
    short* RESULT_OK_CONTENT_Kavrin_Mark;
    double* TheDistributionParameters;

    T_WRITE_RESULTActivity_case1();
    ~T_WRITE_RESULTActivity_case1() override;
    bool Enabled() override;
    double Weight() override;
    double Rate() override;
    bool ReactivationPredicate() override;
    bool ReactivationFunction() override;
    double SampleDistribution() override;
    double* ReturnDistributionParameters() override;
    BaseActionClass* Fire() override;
    int Rank() override;
    void LinkVariables() override;
  };

  class T_WRITE_RESULTActivity_case2 : public Activity {
   public:
    Place* RESULT_MEMORY;
    short* RESULT_MEMORY_Kavrin_Mark;
    Place* RESULT_KO_CONTENT;
    short* RESULT_KO_CONTENT_Kavrin_Mark;
    double* TheDistributionParameters;

    T_WRITE_RESULTActivity_case2();
    ~T_WRITE_RESULTActivity_case2() override;
    bool Enabled() override;
    double Weight() override;
    double Rate() override;
    bool ReactivationPredicate() override;
    bool ReactivationFunction() override;
    double SampleDistribution() override;
    double* ReturnDistributionParameters() override;
    BaseActionClass* Fire() override;
    int Rank() override;
    void LinkVariables() override;
  };

  class COMPUTEActivity_case1 : public Activity {
   public:
    Place* ALU_INSTRUCTION;
    short* ALU_INSTRUCTION_Kavrin_Mark;
    Place* RESULT_OK;
    short* RESULT_OK_Kavrin_Mark;
    double* TheDistributionParameters;

    COMPUTEActivity_case1();
    ~COMPUTEActivity_case1() override;
    bool Enabled() override;
    double Weight() override;
    double Rate() override;
    bool ReactivationPredicate() override;
    bool ReactivationFunction() override;
    double SampleDistribution() override;
    double* ReturnDistributionParameters() override;
    BaseActionClass* Fire() override;
    int Rank() override;
    void LinkVariables() override;
  };

  class COMPUTEActivity_case2 : public Activity {
   public:
    Place* ALU_INSTRUCTION;
    short* ALU_INSTRUCTION_Kavrin_Mark;
    Place* RESULT_KO;
    short* RESULT_KO_Kavrin_Mark;
    double* TheDistributionParameters;

    COMPUTEActivity_case2();
    ~COMPUTEActivity_case2() override;
    bool Enabled() override;
    double Weight() override;
    double Rate() override;
    bool ReactivationPredicate() override;
    bool ReactivationFunction() override;
    double SampleDistribution() override;
    double* ReturnDistributionParameters() override;
    BaseActionClass* Fire() override;
    int Rank() override;
    void LinkVariables() override;
  };

  class T_READActivity_case1 : public Activity {
   public:
    Place* RESULT_MEMORY;
    short* RESULT_MEMORY_Kavrin_Mark;
    Place* RESULT_PERFORM_OK_READ;
    short* RESULT_PERFORM_OK_READ_Kavrin_Mark;
    double* TheDistributionParameters;

    T_READActivity_case1();
    ~T_READActivity_case1() override;
    bool Enabled() override;
    double Weight() override;
    double Rate() override;
    bool ReactivationPredicate() override;
    bool ReactivationFunction() override;
    double SampleDistribution() override;
    double* ReturnDistributionParameters() override;
    BaseActionClass* Fire() override;
    int Rank() override;
    void LinkVariables() override;
  };

  class T_READActivity_case2 : public Activity {
   public:
    Place* RESULT_MEMORY;
    short* RESULT_MEMORY_Kavrin_Mark;
    Place* RESULT_PERFORM_KO_READ;
    short* RESULT_PERFORM_KO_READ_Kavrin_Mark;
    double* TheDistributionParameters;

    T_READActivity_case2();
    ~T_READActivity_case2() override;
    bool Enabled() override;
    double Weight() override;
    double Rate() override;
    bool ReactivationPredicate() override;
    bool ReactivationFunction() override;
    double SampleDistribution() override;
    double* ReturnDistributionParameters() override;
    BaseActionClass* Fire() override;
    int Rank() override;
    void LinkVariables() override;
  };

  class T_WRITE_OUTPUTActivity_case1 : public Activity {
   public:
    Place* OUTPUT_MEMORY;
    short* OUTPUT_MEMORY_Kavrin_Mark;
    Place* OUTPUT_OK_CONTENT;
    short* OUTPUT_OK_CONTENT_Kavrin_Mark;
    double* TheDistributionParameters;

    T_WRITE_OUTPUTActivity_case1();
    ~T_WRITE_OUTPUTActivity_case1() override;
    bool Enabled() override;
    double Weight() override;
    double Rate() override;
    bool ReactivationPredicate() override;
    bool ReactivationFunction() override;
    double SampleDistribution() override;
    double* ReturnDistributionParameters() override;
    BaseActionClass* Fire() override;
    int Rank() override;
    void LinkVariables() override;
  };

  class T_WRITE_OUTPUTActivity_case2 : public Activity {
   public:
    Place* OUTPUT_MEMORY;
    short* OUTPUT_MEMORY_Kavrin_Mark;
    Place* OUTPUT_KO_CONTENT;
    short* OUTPUT_KO_CONTENT_Kavrin_Mark;
    double* TheDistributionParameters;

    T_WRITE_OUTPUTActivity_case2();
    ~T_WRITE_OUTPUTActivity_case2() override;
    bool Enabled() override;
    double Weight() override;
    double Rate() override;
    bool ReactivationPredicate() override;
    bool ReactivationFunction() override;
    double SampleDistribution() override;
    double* ReturnDistributionParameters() override;
    BaseActionClass* Fire() override;
    int Rank() override;
    void LinkVariables() override;
  };

  class DISPATCHERActivity : public Activity {
   public:
    Place* INST_COUNTER;
    short* INST_COUNTER_Kavrin_Mark;
    Place* READ_TOTAL_MEMORY;
    short* READ_TOTAL_MEMORY_Kavrin_Mark;
    Place* READ_RESULT_MEMORY;
    short* READ_RESULT_MEMORY_Kavrin_Mark;
    Place* WRITE_RESULT_MEMORY;
    short* WRITE_RESULT_MEMORY_Kavrin_Mark;
    Place* WRITE_OUTPUT_MEMORY;
    short* WRITE_OUTPUT_MEMORY_Kavrin_Mark;
    Place* ALU_INSTRUCTION;
    short* ALU_INSTRUCTION_Kavrin_Mark;
    Instructions* SCHEDULER;
    double* TheDistributionParameters;

    DISPATCHERActivity();
    ~DISPATCHERActivity() override;
    bool Enabled() override;
    double Weight() override;
    double Rate() override;
    bool ReactivationPredicate() override;
    bool ReactivationFunction() override;
    double SampleDistribution() override;
    double* ReturnDistributionParameters() override;
    BaseActionClass* Fire() override;
    int Rank() override;
    void LinkVariables() override;
  };

  class READ_TOTALActivity_case1 : public Activity {
   public:
    Place* READ_TOTAL_MEMORY;
    short* READ_TOTAL_MEMORY_Kavrin_Mark;
    Place* READ_RESULT_MEMORY;
    short* READ_RESULT_MEMORY_Kavrin_Mark;
    Place* TOTAL_MEMORY;
    short* TOTAL_MEMORY_Kavrin_Mark;
    double* TheDistributionParameters;

    READ_TOTALActivity_case1();
    ~READ_TOTALActivity_case1() override;
    bool Enabled() override;
    double Weight() override;
    double Rate() override;
    bool ReactivationPredicate() override;
    bool ReactivationFunction() override;
    double SampleDistribution() override;
    double* ReturnDistributionParameters() override;
    BaseActionClass* Fire() override;
    int Rank() override;
    void LinkVariables() override;
  };

  class READ_TOTALActivity_case2 : public Activity {
   public:
    Place* READ_TOTAL_MEMORY;
    short* READ_TOTAL_MEMORY_Kavrin_Mark;
    Place* READ_RESULT_MEMORY;
    short* READ_RESULT_MEMORY_Kavrin_Mark;
    double* TheDistributionParameters;

    READ_TOTALActivity_case2();
    ~READ_TOTALActivity_case2() override;
    bool Enabled() override;
    double Weight() override;
    double Rate() override;
    bool ReactivationPredicate() override;
    bool ReactivationFunction() override;
    double SampleDistribution() override;
    double* ReturnDistributionParameters() override;
    BaseActionClass* Fire() override;
    int Rank() override;
    void LinkVariables() override;
  };

  class WRITE_TOActivity_case1 : public Activity {
   public:
    Place* WRITE_RESULT_MEMORY;
    short* WRITE_RESULT_MEMORY_Kavrin_Mark;
    Place* WRITE_OUTPUT_MEMORY;
    short* WRITE_OUTPUT_MEMORY_Kavrin_Mark;
    Place* RESULT_MEMORY;
    short* RESULT_MEMORY_Kavrin_Mark;
    double* TheDistributionParameters;

    WRITE_TOActivity_case1();
    ~WRITE_TOActivity_case1() override;
    bool Enabled() override;
    double Weight() override;
    double Rate() override;
    bool ReactivationPredicate() override;
    bool ReactivationFunction() override;
    double SampleDistribution() override;
    double* ReturnDistributionParameters() override;
    BaseActionClass* Fire() override;
    int Rank() override;
    void LinkVariables() override;
  };

  class WRITE_TOActivity_case2 : public Activity {
   public:
    Place* WRITE_RESULT_MEMORY;
    short* WRITE_RESULT_MEMORY_Kavrin_Mark;
    Place* WRITE_OUTPUT_MEMORY;
    short* WRITE_OUTPUT_MEMORY_Kavrin_Mark;
    Place* OUTPUT_MEMORY;
    short* OUTPUT_MEMORY_Kavrin_Mark;
    double* TheDistributionParameters;

    WRITE_TOActivity_case2();
    ~WRITE_TOActivity_case2() override;
    bool Enabled() override;
    double Weight() override;
    double Rate() override;
    bool ReactivationPredicate() override;
    bool ReactivationFunction() override;
    double SampleDistribution() override;
    double* ReturnDistributionParameters() override;
    BaseActionClass* Fire() override;
    int Rank() override;
    void LinkVariables() override;
  };

  T_READ_TOTALActivity_case1 T_READ_TOTAL_case1;
  T_READ_TOTALActivity_case2 T_READ_TOTAL_case2;
  T_WRITE_RESULTActivity_case1 T_WRITE_RESULT_case1;
  T_WRITE_RESULTActivity_case2 T_WRITE_RESULT_case2;
  COMPUTEActivity_case1 COMPUTE_case1;
  COMPUTEActivity_case2 COMPUTE_case2;
  T_READActivity_case1 T_READ_case1;
  T_READActivity_case2 T_READ_case2;
  T_WRITE_OUTPUTActivity_case1 T_WRITE_OUTPUT_case1;
  T_WRITE_OUTPUTActivity_case2 T_WRITE_OUTPUT_case2;
  DISPATCHERActivity DISPATCHER;
  READ_TOTALActivity_case1 READ_TOTAL_case1;
  READ_TOTALActivity_case2 READ_TOTAL_case2;
  WRITE_TOActivity_case1 WRITE_TO_case1;
  WRITE_TOActivity_case2 WRITE_TO_case2;

  PreselectGroup ImmediateGroup;
  PostselectGroup T_READ_TOTALGroup;
  PostselectGroup T_WRITE_RESULTGroup;
  PostselectGroup COMPUTEGroup;
  PostselectGroup T_READGroup;
  PostselectGroup T_WRITE_OUTPUTGroup;
  PostselectGroup DISPATCHERGroup;
  PostselectGroup READ_TOTALGroup;
  PostselectGroup WRITE_TOGroup;

  GPU_MODEL_ATOMIC_COMPOSITIONSAN();
  ~GPU_MODEL_ATOMIC_COMPOSITIONSAN() override;
  GPU_MODEL_ATOMIC_COMPOSITIONSAN(const GPU_MODEL_ATOMIC_COMPOSITIONSAN&) = delete;
  GPU_MODEL_ATOMIC_COMPOSITIONSAN& operator=(const GPU_MODEL_ATOMIC_COMPOSITIONSAN&) = delete;

  void CustomInitialization();
  void assignPlacesToActivitiesInst();
  void assignPlacesToActivitiesTimed();
};

#endif
