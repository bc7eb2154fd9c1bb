// The framework side of a study: a set of experiments, each giving values to the model's global
// variables. A generated study derives from it, sets the globals of one experiment, lets the -O
// text override single values, and builds the reward model (which it owns) on request.
// Owns the name and type strings of its global variables.
// Generated-code contract: the generated study fills GVNames and GVTypes with strdup copies, so
// these names, unlike the framework's own (KavrinCopyName), are freed with free().
#ifndef KAVRIN_STUDY_BASESTUDYCLASS_H
#define KAVRIN_STUDY_BASESTUDYCLASS_H

#include <cstdint>
#include <string>

#include "BaseClasses/state/PrimitiveType.h"

class PVModel;

class BaseStudyClass {
 public:
  char** GVNames;  // strings from the C allocator, array from new[]
  char** GVTypes;
  PVModel* ThePVModel;
  uint32_t NumGVs;
  uint32_t NumExps;

  BaseStudyClass();
  virtual ~BaseStudyClass();
  virtual PVModel* GetPVModel(bool expandTimeArrays);
  virtual void SetGVs(int expNum);
  virtual void PrintGlobalValues(int expNum);
  virtual void* GetGVValue(char* TheGVName);
  virtual void OverrideGVValue(char* TheGVName, void* TheGVValue);

  uint32_t GetNumGVs() const { return NumGVs; }
  uint32_t GetNumExps() const { return NumExps; }
  char* GetGVName(int i) const { return GVNames[i]; }
  char* GetGVType(int i) const { return GVTypes[i]; }
  // Formats into one static buffer: each call overwrites the previous text.
  char* GetExpName(int expnum);
  // Applies a colon-separated sequence of type:name:value triples (the text of -O). A triple whose
  // type letter differs from the variable's declared type is reported and skipped.
  void overrideGVs(const char* TheOverrideString);
  // Checks the -O text before any study exists: the first value that is not wholly a number of the
  // type its letter names ("0.7junk" for a double) gives a message naming it; "" when every value reads.
  static std::string UnreadableOverride(const char* TheOverrideString);
  // The declared type name of the named global variable, or null when the study has none.
  const char* DeclaredType(const std::string& name) const;

  void SetGvValue(Short& gv, short value) { gv.Set(value); }
  void SetGvValue(Int& gv, int value) { gv.Set(value); }
  void SetGvValue(Long& gv, int32_t value) { gv.Set(value); }
  void SetGvValue(Float& gv, float value) { gv.Set(value); }
  void SetGvValue(Double& gv, double value) { gv.Set(value); }
  void SetGvValue(Bool& gv, bool value) { gv.Set(value); }
  void SetGvValue(Char& gv, char value) { gv.Set(value); }

  BaseStudyClass(const BaseStudyClass&) = delete;
  BaseStudyClass& operator=(const BaseStudyClass&) = delete;
};

// The one study of the process; null until GenerateStudy.
extern BaseStudyClass* GlobalStudyPtr;
// Defined by the generated study: creates the study on first call and returns it.
BaseStudyClass* GenerateStudy();
// Defined by the generated study: deletes the study, if any, and clears GlobalStudyPtr.
void DestructStudy();

#endif
