#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <deque>
#include <random>
#include <string>
#include <thread>

#include "BaseClasses/CPUTime.h"
#include "BaseClasses/KavrinQueue.h"
#include "BaseClasses/KavrinThread.h"

namespace {

int slots[64];

TEST(KavrinQueue, FullQueueDropsPushesUntilAPopMakesRoom) {
  KavrinQueue<int*> q(50);
  for (int i = 0; i < 51; i++) q.Push(&slots[i]);
  EXPECT_EQ(q.GetCount(), 50);
  EXPECT_EQ(q.Pop(), &slots[0]);
  q.Push(&slots[60]);
  q.Push(&slots[61]);  // full again: dropped
  EXPECT_EQ(q.GetCount(), 50);
  for (int i = 1; i < 50; i++) EXPECT_EQ(q.Pop(), &slots[i]);
  EXPECT_EQ(q.Pop(), &slots[60]);
  EXPECT_EQ(q.Pop(), nullptr);
}

// Seeded pushes and pops against a deque that drops a push when it holds the capacity: the same
// items come out in the same order, and an empty queue yields null, through many wraps.
TEST(KavrinQueue, RandomPushesAndPopsMatchABoundedDequeShadow) {
  std::mt19937 rng(5);
  for (const int capacity : {1, 3, 7}) {
    KavrinQueue<int*> q(capacity);
    std::deque<int*> shadow;
    for (int step = 0; step < 2000; step++) {
      if (rng() % 2 == 0) {
        int* x = &slots[rng() % 64];
        q.Push(x);
        if (static_cast<int>(shadow.size()) < capacity) shadow.push_back(x);
      } else {
        int* expected = nullptr;
        if (!shadow.empty()) {
          expected = shadow.front();
          shadow.pop_front();
        }
        ASSERT_EQ(q.Pop(), expected) << "capacity " << capacity << ", step " << step;
      }
      ASSERT_EQ(q.GetCount(), static_cast<int>(shadow.size()))
          << "capacity " << capacity << ", step " << step;
    }
  }
}

TEST(KavrinQueue, CountAcrossTheWrap) {
  KavrinQueue<int*> q(4);
  for (int i = 0; i < 3; i++) q.Push(&slots[i]);
  q.Pop();
  q.Pop();
  q.Push(&slots[3]);
  q.Push(&slots[4]);  // the fifth push goes round the end of the four slots
  EXPECT_EQ(q.GetCount(), 3);
  EXPECT_EQ(q.Pop(), &slots[2]);
  EXPECT_EQ(q.Pop(), &slots[3]);
  EXPECT_EQ(q.Pop(), &slots[4]);
  EXPECT_EQ(q.GetCount(), 0);
}

TEST(KavrinQueue, ZeroCapacityStoresNothing) {
  KavrinQueue<int*> q(0);
  q.Push(&slots[0]);
  EXPECT_EQ(q.GetCount(), 0);
  EXPECT_EQ(q.Pop(), nullptr);
}

TEST(KavrinMutex, NamesFollowCreationOrder) {
  KavrinMutex a;
  KavrinMutex b;
  int na = 0, nb = 0;
  ASSERT_EQ(std::sscanf(a.GetName(), "mutex%d", &na), 1);
  ASSERT_EQ(std::sscanf(b.GetName(), "mutex%d", &nb), 1);
  EXPECT_GE(na, 1);
  EXPECT_EQ(nb, na + 1);
  EXPECT_EQ(std::string(b.GetName()), "mutex" + std::to_string(nb));
}

struct Handoff {
  KavrinMutex mutex;
  KavrinCond cond;
  bool ready = false;
  std::atomic<int> seen{0};
};

KavrinThreadResult WaitForReady(void* data) {
  Handoff* h = static_cast<Handoff*>(data);
  h->mutex.Get();
  while (!h->ready) h->cond.Wait(h->mutex);
  h->seen = 1;
  h->mutex.Release();
  return 0;
}

TEST(KavrinThread, ConditionWakesAWaitingThread) {
  Handoff h;
  KavrinThread thread(WaitForReady, &h);
  thread.Start();
  h.mutex.Get();
  h.ready = true;
  h.cond.Signal();
  h.mutex.Release();
  thread.WaitUntilDone();
  EXPECT_EQ(h.seen.load(), 1);
  thread.WaitUntilDone();  // a second wait returns at once
}

KavrinThreadResult WaitOnce(void* data) {
  Handoff* h = static_cast<Handoff*>(data);
  h->mutex.Get();
  h->cond.Wait(h->mutex);
  h->seen = 1;
  h->mutex.Release();
  return 0;
}

// A signal nobody waits for is lost: a thread that waits afterwards sleeps on until the next one.
TEST(KavrinCond, ASignalWithoutWaitersIsNotKeptForALaterWait) {
  Handoff h;
  EXPECT_EQ(h.cond.Signal(), 0);
  KavrinThread thread(WaitOnce, &h);
  thread.Start();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(h.seen.load(), 0);
  // Signals until the waiter wakes, in case it was not yet waiting.
  for (int i = 0; i < 500 && h.seen.load() == 0; i++) {
    h.mutex.Get();
    h.cond.Signal();
    h.mutex.Release();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  thread.WaitUntilDone();
  EXPECT_EQ(h.seen.load(), 1);
}

TEST(CPUTime, StartsNearZeroAndGrowsWithWork) {
  CPUTime timer;
  timer.Start();
  double first = timer.GetTime();
  EXPECT_GE(first, 0.0);
  EXPECT_LT(first, 0.1);
  volatile double sink = 0.0;
  while (timer.GetTime() <= first) {
    for (int i = 0; i < 100000; i++) sink = sink + i * 0.5;
  }
  EXPECT_GT(timer.GetTime(), first);
}

// Seconds through the C library's own clock rate, whatever that rate is: after 0.05 s of CPU
// time by the C clock, the timer shows about 0.05 (not 50, as dividing ticks by 1000 would).
TEST(CPUTime, CountsSecondsAtTheClocksOwnRate) {
  CPUTime timer;
  timer.Start();
#ifdef _WIN32
  // The Windows C clock counts wall time, which bounds the process's CPU time from above: 0.05 s
  // of CPU time by the timer must have taken at least about as long by the clock.
  const std::clock_t start = std::clock();
  volatile double spin = 0.0;
  while (timer.GetTime() < 0.05 && std::clock() - start < 10 * CLOCKS_PER_SEC) {
    for (int i = 0; i < 100000; i++) spin = spin + i * 0.5;
  }
  const double cpu = timer.GetTime();
  EXPECT_GE(cpu, 0.05);
  EXPECT_GE(static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC, cpu - 0.02);
  return;
#endif
  const std::clock_t begin = std::clock();
  volatile double sink = 0.0;
  while (std::clock() - begin < CLOCKS_PER_SEC / 20) {
    for (int i = 0; i < 100000; i++) sink = sink + i * 0.5;
  }
  const double seconds = timer.GetTime();
  EXPECT_GE(seconds, 0.045);
  EXPECT_LT(seconds, 1.0);
}

}  // namespace
