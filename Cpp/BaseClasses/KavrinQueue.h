// A fixed-capacity ring buffer of values, guarded by its own KavrinMutex.
//
// Used for the observation packet pools: it holds the values only (for pointers it never deletes
// what they point to). A push onto a full queue is dropped; a pop from an empty one yields T().
#ifndef KAVRIN_BASECLASSES_KAVRINQUEUE_H
#define KAVRIN_BASECLASSES_KAVRINQUEUE_H

#include "BaseClasses/KavrinThread.h"

template <class T>
class KavrinQueue {
 public:
  explicit KavrinQueue(int size)
      : _data(nullptr),
        _queueMaxSize(size > 0 ? size : 0),
        _queueFront(0),
        _queueEnd(0),
        _endWrap(false),
        _mutex(new KavrinMutex()) {
    _data = new T[_queueMaxSize > 0 ? _queueMaxSize : 1]();
  }

  ~KavrinQueue() {
    delete _mutex;
    delete[] _data;
  }

  KavrinQueue(const KavrinQueue&) = delete;
  KavrinQueue& operator=(const KavrinQueue&) = delete;

  void Push(T x) {
    _mutex->Get();
    if (!IsFull()) {
      _data[_queueEnd] = x;
      if (++_queueEnd == _queueMaxSize) {
        _queueEnd = 0;
        _endWrap = true;
      }
    }
    _mutex->Release();
  }

  T Pop() {
    _mutex->Get();
    T result = T();
    if (!IsEmpty()) {
      result = _data[_queueFront];
      if (++_queueFront == _queueMaxSize) {
        _queueFront = 0;
        _endWrap = false;
      }
    }
    _mutex->Release();
    return result;
  }

  int GetCount() {
    _mutex->Get();
    int count = _queueEnd - _queueFront;
    if (_queueEnd < _queueFront || _endWrap) count += _queueMaxSize;
    _mutex->Release();
    return count;
  }

  T* _data;
  int _queueMaxSize;
  int _queueFront;
  int _queueEnd;
  bool _endWrap;
  KavrinMutex* _mutex;

 private:
  // A capacity of 0 is both full and empty: nothing is ever stored.
  bool IsFull() const { return _queueMaxSize == 0 || (_queueFront == _queueEnd && _endWrap); }
  bool IsEmpty() const { return _queueMaxSize == 0 || (_queueFront == _queueEnd && !_endWrap); }
};

#endif
