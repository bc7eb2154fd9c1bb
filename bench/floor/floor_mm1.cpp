// floor_mm1: K independent M/M/1 queues (arrival rate 0.9, service rate 1.0) as 2K timed
// activities in an indexed binary heap, with a rate reward (the time integral of the number in
// system), written as flat arrays with no framework, no virtual call and no allocation per event.
// It is the floor the simulator's per-event cost is measured against; K = 5, 500 and 50,000 give
// 10, 1,000 and 100,000 timed activities.
//
//   floor_mm1 [-E events] [-K queues] [-s seed]
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

struct Uniform {
  uint64_t s;
  double next() {  // in (0, 1): never 0, so the logarithm below is finite
    s ^= s >> 12;
    s ^= s << 25;
    s ^= s >> 27;
    return (double((s * 2685821657736338717ULL) >> 11) + 0.5) * (1.0 / 9007199254740992.0);
  }
};

// Min-heap of scheduled activities keyed by completion time, each entry holding its time beside
// its activity so that a sift reads one array; each activity's position lets a disabled one be
// removed.
class Heap {
 public:
  explicit Heap(int n) : pos_(n, -1) { heap_.reserve(n); }
  int top() const { return heap_[0].a; }
  double topTime() const { return heap_[0].t; }
  void insert(int a, double t) {
    heap_.push_back({t, a});
    pos_[a] = int(heap_.size()) - 1;
    up(pos_[a]);
  }
  void remove(int a) {
    const int p = pos_[a];
    const Entry last = heap_.back();
    heap_.pop_back();
    pos_[a] = -1;
    if (last.a == a) return;
    heap_[p] = last;
    pos_[last.a] = p;
    up(p);
    down(pos_[last.a]);
  }
  void reschedule(int a, double t) {
    const int p = pos_[a];
    heap_[p].t = t;
    up(p);
    down(pos_[a]);
  }

 private:
  struct Entry {
    double t;
    int a;
  };
  void place(int p, const Entry& e) {
    heap_[p] = e;
    pos_[e.a] = p;
  }
  void up(int p) {
    const Entry e = heap_[p];
    while (p > 0 && e.t < heap_[(p - 1) / 2].t) {
      place(p, heap_[(p - 1) / 2]);
      p = (p - 1) / 2;
    }
    place(p, e);
  }
  void down(int p) {
    const int n = int(heap_.size());
    const Entry e = heap_[p];
    for (;;) {
      int c = 2 * p + 1;
      if (c >= n) break;
      if (c + 1 < n && heap_[c + 1].t < heap_[c].t) c++;
      if (!(heap_[c].t < e.t)) break;
      place(p, heap_[c]);
      p = c;
    }
    place(p, e);
  }
  std::vector<Entry> heap_;
  std::vector<int> pos_;
};

}  // namespace

int main(int argc, char** argv) {
  double events = 1e7;
  long queues = 5;
  uint64_t seed = 31415;
  for (int i = 1; i < argc; i++) {
    if (!std::strcmp(argv[i], "-E") && i + 1 < argc)
      events = std::atof(argv[++i]);
    else if (!std::strcmp(argv[i], "-K") && i + 1 < argc)
      queues = std::atol(argv[++i]);
    else if (!std::strcmp(argv[i], "-s") && i + 1 < argc)
      seed = std::strtoull(argv[++i], nullptr, 10);
    else {
      std::fprintf(stderr, "usage: floor_mm1 [-E events] [-K queues] [-s seed]\n");
      return 2;
    }
  }
  if (queues < 1 || events < 1) {
    std::fprintf(stderr, "floor_mm1: -E and -K must be at least 1\n");
    return 2;
  }
  const double lambda = 0.9, mu = 1.0;
  const clock_t start = std::clock();
  Uniform u{seed ? seed : 1};
  auto exponential = [&u](double rate) { return -std::log(u.next()) / rate; };

  // Activity 2q is queue q's arrival, 2q+1 its service.
  const int n = int(2 * queues);
  Heap heap(n);
  std::vector<int32_t> inSystem(size_t(queues), 0);
  for (int q = 0; q < queues; q++) heap.insert(2 * q, exponential(lambda));

  const long total = long(events);
  double now = 0.0, area = 0.0;
  long population = 0;
  for (long e = 0; e < total; e++) {
    const int a = heap.top();
    const double t = heap.topTime();
    area += double(population) * (t - now);
    now = t;
    const int q = a / 2;
    if (a % 2 == 0) {
      population++;
      if (++inSystem[q] == 1) heap.insert(a + 1, now + exponential(mu));
      heap.reschedule(a, now + exponential(lambda));
    } else {
      population--;
      if (--inSystem[q] > 0)
        heap.reschedule(a, now + exponential(mu));
      else
        heap.remove(a);
    }
  }
  const double cpu = double(std::clock() - start) / CLOCKS_PER_SEC;
  std::printf("events %ld activities %d mean in system per queue %.6f cpu %.6f s, %.2f ns per event\n", total,
              n, now > 0 ? area / now / double(queues) : 0.0, cpu, cpu * 1e9 / double(total));
  return 0;
}
