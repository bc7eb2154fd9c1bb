#include "BaseClasses/KavrinThread.h"

#include <chrono>
#include <cstdio>

KavrinThread::KavrinThread(THREADFUNC func, void* data)
    : _threadFunc(func), _threadID(nullptr), _threadData(data) {}

KavrinThread::~KavrinThread() {
  if (_threadHandle.joinable()) _threadHandle.detach();
}

void KavrinThread::Start() {
  if (_threadHandle.joinable() || _threadFunc == nullptr) return;
  THREADFUNC func = _threadFunc;
  void* data = _threadData;
  _threadHandle = std::thread([func, data]() { func(data); });
}

void KavrinThread::Sleep(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void KavrinThread::WaitUntilDone() {
  if (_threadHandle.joinable()) _threadHandle.join();
}

int KavrinMutex::_globalID = 0;

namespace {
std::mutex& MutexNumberLock() {
  static std::mutex lock;
  return lock;
}
}  // namespace

KavrinMutex::KavrinMutex() {
  int id;
  {
    std::lock_guard<std::mutex> guard(MutexNumberLock());
    id = ++_globalID;
  }
  std::snprintf(_name, sizeof _name, "mutex%d", id);
}

KavrinMutex::~KavrinMutex() {}

void KavrinMutex::Get() { _mutex.lock(); }

void KavrinMutex::Release() { _mutex.unlock(); }

KavrinCond::KavrinCond() : _waiters_count(0), _sema(0), _was_broadcast(0) {}

KavrinCond::~KavrinCond() {}

int KavrinCond::Wait(KavrinMutex& m) {
  std::unique_lock<std::mutex> lock(_waiters_count_lock);
  ++_waiters_count;
  // Releasing m while holding our own lock makes "release and start waiting" one step for any
  // signaller, who must take our lock first.
  m.Release();
  _sema_cond.wait(lock, [this] { return _sema > 0; });
  --_sema;
  --_waiters_count;
  lock.unlock();
  m.Get();
  return 0;
}

int KavrinCond::Signal() {
  std::lock_guard<std::mutex> lock(_waiters_count_lock);
  if (_waiters_count > 0) {
    ++_sema;
    _sema_cond.notify_one();
  }
  return 0;
}
