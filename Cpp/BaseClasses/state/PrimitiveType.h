// PrimitiveType<T>: a plain value wrapper, and the named wrappers that hold a study's global
// variables (the generated model reads them through the implicit conversion).
#ifndef KAVRIN_BASECLASSES_STATE_PRIMITIVETYPE_H
#define KAVRIN_BASECLASSES_STATE_PRIMITIVETYPE_H

#include <cstdint>

template <class T>
class PrimitiveType {
 public:
  T mVar;

  PrimitiveType() : mVar() {}
  PrimitiveType(const PrimitiveType& other) : mVar(other.mVar) {}
  PrimitiveType& operator=(const PrimitiveType& other) {
    mVar = other.mVar;
    return *this;
  }
  PrimitiveType& operator=(T value) {
    mVar = value;
    return *this;
  }
  operator T() const { return mVar; }
};

class Short : public PrimitiveType<short> {
 public:
  using PrimitiveType<short>::operator=;
  void Set(short v) { mVar = v; }
};

class Int : public PrimitiveType<int> {
 public:
  using PrimitiveType<int>::operator=;
  void Set(int v) { mVar = v; }
};

// A long of the model language: 32 bits on every platform, as stored files and peers expect.
class Long : public PrimitiveType<int32_t> {
 public:
  using PrimitiveType<int32_t>::operator=;
  void Set(int32_t v) { mVar = v; }
};

class Float : public PrimitiveType<float> {
 public:
  using PrimitiveType<float>::operator=;
  void Set(float v) { mVar = v; }
};

class Double : public PrimitiveType<double> {
 public:
  using PrimitiveType<double>::operator=;
  void Set(double v) { mVar = v; }
};

class Bool : public PrimitiveType<bool> {
 public:
  using PrimitiveType<bool>::operator=;
  void Set(bool v) { mVar = v; }
};

class Char : public PrimitiveType<char> {
 public:
  using PrimitiveType<char>::operator=;
  void Set(char v) { mVar = v; }
};

static_assert(sizeof(Long) == 4, "a model's long is 32 bits");

#endif
