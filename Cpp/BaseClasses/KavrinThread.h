// The platform's thread, mutex and condition classes.
//
// The simulator runs on one thread: only the mutex is used (inside KavrinQueue) and it is never
// contended. The thread and condition classes complete the layer for a threaded arrangement.
// Each mutex carries the name "mutex<n>" in creation order, but it is private to the process.
#ifndef KAVRIN_BASECLASSES_KAVRINTHREAD_H
#define KAVRIN_BASECLASSES_KAVRINTHREAD_H

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

// What a thread body returns (a 32-bit status; unused by the framework).
typedef uint32_t KavrinThreadResult;
typedef KavrinThreadResult (*THREADFUNC)(void*);

// Runs a body on a thread of its own. A thread still running when its object is destroyed is
// detached, as the handle of a started thread would simply be dropped.
class KavrinThread {
 public:
  KavrinThread(THREADFUNC func, void* data);
  ~KavrinThread();
  KavrinThread(const KavrinThread&) = delete;
  KavrinThread& operator=(const KavrinThread&) = delete;

  void Start();
  // The calling thread sleeps.
  static void Sleep(int ms);
  // Returns at once when the thread was never started or was already waited for.
  void WaitUntilDone();

  THREADFUNC _threadFunc;
  KavrinThreadResult* _threadID;
  void* _threadData;
  std::thread _threadHandle;
};

// A recursive lock: the owning thread may take it again, as with a system mutex.
class KavrinMutex {
 public:
  KavrinMutex();
  ~KavrinMutex();
  KavrinMutex(const KavrinMutex&) = delete;
  KavrinMutex& operator=(const KavrinMutex&) = delete;

  void Get();
  void Release();
  const char* GetName() const { return _name; }

  char _name[64];
  static int _globalID;
  std::recursive_mutex _mutex;
};

// A condition for use with a held KavrinMutex. Signals are counted like a semaphore's, so a
// signal given to a registered waiter is never lost.
class KavrinCond {
 public:
  KavrinCond();
  ~KavrinCond();
  KavrinCond(const KavrinCond&) = delete;
  KavrinCond& operator=(const KavrinCond&) = delete;

  // Releases m while waiting; returns 0 with m held again.
  int Wait(KavrinMutex& m);
  // Wakes one waiter if there is any; returns 0.
  int Signal();

  int _waiters_count;
  std::mutex _waiters_count_lock;
  std::condition_variable _sema_cond;
  int64_t _sema;
  size_t _was_broadcast;
};

#endif
