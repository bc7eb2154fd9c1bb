#include "BaseClasses/StandardErrors.h"

#include <cstdlib>
#include <iostream>

namespace {
// A null name prints as nothing rather than crashing the report itself.
const char* OrEmpty(const char* text) { return text ? text : ""; }

void ReportMismatch(const char* kind, const char* Name1, const char* Name2) {
  std::cerr << kind << " types for equivalence sharing do not match for state variables: " << std::endl;
  std::cerr << "  " << OrEmpty(Name1) << std::endl;
  std::cerr << "  " << OrEmpty(Name2) << std::endl;
}
}  // namespace

void AllocationFailure(const char* report) {
  std::cerr << OrEmpty(report) << std::endl;
  std::exit(1);
}

void MemoryAllocationError(const char* firstLine) {
  if (firstLine != nullptr) std::cerr << firstLine << std::endl;
  MemoryAllocationError();
}

void MemoryAllocationError() {
  std::cerr << "Insufficient Memory to allocate dynamic data structures from heap memory" << std::endl;
  AllocationFailure("Exiting program...");
}

void MemoryError() { std::cerr << "Memory Error" << std::endl; }

void ErrorEmptyParameter(const char* txt) {
  std::cerr << OrEmpty(txt) << ": Parameter was an empty reference" << std::endl;
}

void SyncError::WrongDistributionType() {
  std::cerr << "You can only synchronize actions from one type,"
            << "either exponential or instantenous" << std::endl;
}

void SyncError::NoAction() { std::cerr << " no Action found in model" << std::endl; }

void InconsistantState() {
  std::cerr << "This program has entered into an inconsistant state. Please report this bug." << std::endl;
}

void UserError() { std::cerr << "A user error has been detected" << std::endl; }

void ArrayTypeMismatchError(const char* Name1, const char* Name2) { ReportMismatch("Array", Name1, Name2); }

void StructTypeMismatchError(const char* Name1, const char* Name2) { ReportMismatch("Struct", Name1, Name2); }

void InvalidArrayType() { std::cerr << "ArrayType is not valid" << std::endl; }

void InvalidStructType() {
  std::cerr << "ArrayType is invalid for struct element" << std::endl;
  std::exit(1);
}

void InvalidUnorderedType() { std::cerr << "ArrayType is invalid for unordered element" << std::endl; }

void ArrayOutOfBoundsError(const char* TheLocation) {
  std::cerr << "Array out of bounds error at " << OrEmpty(TheLocation) << std::endl;
}
