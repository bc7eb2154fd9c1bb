// The framework's standard error reports: each writes its fixed text to standard error.
// MemoryAllocationError and InvalidStructType end the process with exit code 1; the others
// return and leave the decision to the caller.
#ifndef KAVRIN_BASECLASSES_STANDARDERRORS_H
#define KAVRIN_BASECLASSES_STANDARDERRORS_H

// Every allocation that yields nothing ends in one of these, with exit code 1. The plain form writes
// the standard two lines; the second first writes the caller's own line, if any (a name that cannot be
// copied, a list that cannot grow); AllocationFailure writes only the caller's line.
[[noreturn]] void MemoryAllocationError();
[[noreturn]] void MemoryAllocationError(const char* firstLine);
[[noreturn]] void AllocationFailure(const char* report);
void MemoryError();
void ErrorEmptyParameter(const char* txt);

// Groups the two reports about synchronising actions; holds no data.
class SyncError {
 public:
  static void WrongDistributionType();
  static void NoAction();
};

void InconsistantState();
void UserError();
void ArrayTypeMismatchError(const char* Name1, const char* Name2);
void StructTypeMismatchError(const char* Name1, const char* Name2);
void InvalidArrayType();
[[noreturn]] void InvalidStructType();
void InvalidUnorderedType();
void ArrayOutOfBoundsError(const char* TheLocation);

#endif
