// floor_gpu: the carried study's work written as flat arrays, with no framework, no virtual call
// and no allocation per replication. It is the floor the simulator's cost is measured against:
// each replication restores the initial marking, finds the enabled activities, fires them one at
// a time at time 0 (a case group picks its member from a uniform draw), credits one impulse of
// 1.0 per firing and yields one observation, written as one line of an ASCII result file.
//
//   floor_gpu -N reps [-a file] [-s seed] [-c] [-q]
//     -a  write the observations to an ASCII result file
//     -c  format a value that repeats the previous one only once
//     -q  write the lines only, without simulating (the output floor)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <utility>

namespace {

// Places in the order of the model's state image, then the five instruction codes.
enum Place {
  TOTAL_PERFORM_OK_READ,
  TOTAL_PERFORM_KO_READ,
  RESULT_OK_CONTENT,
  RESULT_KO_CONTENT,
  RESULT_KO,
  RESULT_OK,
  ALU_INSTRUCTION,
  OUTPUT_MEMORY,
  WRITE_RESULT_MEMORY,
  RESULT_MEMORY,
  READ_TOTAL_MEMORY,
  TOTAL_MEMORY,
  RESULT_PERFORM_OK_READ,
  RESULT_PERFORM_KO_READ,
  OUTPUT_OK_CONTENT,
  OUTPUT_KO_CONTENT,
  READ_RESULT_MEMORY,
  WRITE_OUTPUT_MEMORY,
  ALU_INSTRUCTION_WITH_INPUT,
  INST_COUNTER,
  NUM_PLACES
};

struct Marking {
  int16_t mark[NUM_PLACES];
  int32_t scheduler[5];
};

// A two-case group: both cases share one enabling place and one consumed place; each case
// deposits into its own place.
struct CaseGroup {
  int enable, consume, out1, out2;
};
const CaseGroup kCaseGroups[] = {
    {TOTAL_MEMORY, TOTAL_MEMORY, TOTAL_PERFORM_OK_READ, TOTAL_PERFORM_KO_READ},
    {RESULT_MEMORY, RESULT_MEMORY, RESULT_OK_CONTENT, RESULT_KO_CONTENT},
    {ALU_INSTRUCTION, ALU_INSTRUCTION, RESULT_OK, RESULT_KO},
    {RESULT_MEMORY, RESULT_MEMORY, RESULT_PERFORM_OK_READ, RESULT_PERFORM_KO_READ},
    {OUTPUT_MEMORY, OUTPUT_MEMORY, OUTPUT_OK_CONTENT, OUTPUT_KO_CONTENT},
};
const int kNumCaseGroups = sizeof kCaseGroups / sizeof kCaseGroups[0];

// xorshift64*: a small, fast uniform source; the floor needs draws, not a particular stream.
struct Uniform {
  uint64_t s;
  double next() {
    s ^= s >> 12;
    s ^= s << 25;
    s ^= s >> 27;
    return double((s * 2685821657736338717ULL) >> 11) * (1.0 / 9007199254740992.0);
  }
};

// The eight groups: the five two-case groups, the dispatcher, and the two two-case groups that
// need two places.
enum Group { G_DISPATCHER = kNumCaseGroups, G_READ_TOTAL, G_WRITE_TO, NUM_GROUPS };

bool Enabled(const Marking& m, int g) {
  switch (g) {
    case G_DISPATCHER:
      return m.mark[INST_COUNTER] < 4;
    case G_READ_TOTAL:
      return m.mark[READ_TOTAL_MEMORY] > 0 && m.mark[READ_RESULT_MEMORY] > 0;
    case G_WRITE_TO:
      return m.mark[WRITE_RESULT_MEMORY] > 0 && m.mark[WRITE_OUTPUT_MEMORY] > 0;
    default:
      return m.mark[kCaseGroups[g].enable] > 0;
  }
}

// The groups whose enabling a group's firing can change (its own included), from the places
// each group changes and the places each group's predicate reads.
const int kAffected[NUM_GROUPS][6] = {
    {0, -1},     // TOTAL_MEMORY
    {1, 3, -1},  // RESULT_MEMORY
    {2, -1},     // ALU_INSTRUCTION
    {1, 3, -1},  // RESULT_MEMORY
    {4, -1},     // OUTPUT_MEMORY
    {G_DISPATCHER, G_READ_TOTAL, G_WRITE_TO, 2, -1},
    {G_READ_TOTAL, 0, -1},
    {G_WRITE_TO, 1, 3, 4, -1},
};

void FireDispatcher(Marking& m) {
  static const int kDeposit[5] = {READ_TOTAL_MEMORY, READ_RESULT_MEMORY, WRITE_RESULT_MEMORY,
                                  WRITE_OUTPUT_MEMORY, ALU_INSTRUCTION};
  m.mark[INST_COUNTER]++;
  const int idx = m.mark[INST_COUNTER];
  const int32_t code = (idx >= 0 && idx < 5) ? m.scheduler[idx] : -1;
  if (code >= 0 && code < 5) m.mark[kDeposit[code]]++;
  m.mark[INST_COUNTER]++;
}

// A two-case group with case weights 0: the draw's threshold is 0, no running sum exceeds it,
// so the choice ends on the last enabled case.
int ChooseCase(Uniform& u) {
  const double threshold = u.next() * 0.0;
  double sum = 0.0;
  int chosen = 1;
  for (int c = 0; c < 2; c++) {
    sum += 0.0;
    if (sum > threshold) return c;
    chosen = c;
  }
  return chosen;
}

void Fire(Marking& m, int g, Uniform& u) {
  if (g == G_DISPATCHER) return FireDispatcher(m);
  const int c = ChooseCase(u);
  if (g == G_READ_TOTAL) {
    m.mark[READ_TOTAL_MEMORY]--;
    m.mark[READ_RESULT_MEMORY]--;
    if (c == 0) m.mark[TOTAL_MEMORY]++;
  } else if (g == G_WRITE_TO) {
    m.mark[WRITE_RESULT_MEMORY]--;
    m.mark[WRITE_OUTPUT_MEMORY]--;
    m.mark[c == 0 ? RESULT_MEMORY : OUTPUT_MEMORY]++;
  } else {
    const CaseGroup& cg = kCaseGroups[g];
    m.mark[cg.consume]--;
    m.mark[c == 0 ? cg.out1 : cg.out2]++;
  }
}

// The event list: one slot per group, a binary heap by completion time; exact ties are broken
// by a uniform draw, as equal ranks and weights leave them.
struct Events {
  double time[NUM_GROUPS];
  int heap[NUM_GROUPS];
  int pos[NUM_GROUPS];
  int size = 0;

  void clear() {
    for (int g = 0; g < NUM_GROUPS; g++) pos[g] = -1;
    size = 0;
  }
  void swap(int a, int b) {
    std::swap(heap[a], heap[b]);
    pos[heap[a]] = a;
    pos[heap[b]] = b;
  }
  void up(int p) {
    while (p > 0 && time[heap[p]] < time[heap[(p - 1) / 2]]) {
      swap(p, (p - 1) / 2);
      p = (p - 1) / 2;
    }
  }
  void down(int p) {
    for (;;) {
      int c = 2 * p + 1;
      if (c >= size) return;
      if (c + 1 < size && time[heap[c + 1]] < time[heap[c]]) c++;
      if (!(time[heap[c]] < time[heap[p]])) return;
      swap(p, c);
      p = c;
    }
  }
  void insert(int g, double t) {
    time[g] = t;
    heap[size] = g;
    pos[g] = size++;
    up(pos[g]);
  }
  void remove(int g) {
    const int p = pos[g];
    pos[g] = -1;
    if (p == --size) return;
    heap[p] = heap[size];
    pos[heap[p]] = p;
    up(p);
    down(pos[heap[p]]);
  }
  // The earliest event; among several at that time, one chosen by a draw.
  int next(Uniform& u) {
    const double t = time[heap[0]];
    int ties[NUM_GROUPS];
    int n = 0;
    for (int i = 0; i < size; i++)
      if (time[heap[i]] == t) ties[n++] = heap[i];
    return n == 1 ? ties[0] : ties[int(u.next() * n)];
  }
};

// One replication: schedule what is enabled, fire the earliest event until none is left,
// crediting an impulse of 1.0 per firing; returns the reward.
double Replicate(Marking& m, const Marking& initial, Events& ev, Uniform& u) {
  std::memcpy(&m, &initial, sizeof m);
  ev.clear();
  const double now = 0.0;  // every activity is instantaneous
  for (int g = 0; g < NUM_GROUPS; g++)
    if (Enabled(m, g)) ev.insert(g, now);
  double reward = 0.0;
  while (ev.size > 0) {
    const int g = ev.next(u);
    ev.remove(g);
    Fire(m, g, u);
    reward += 1.0;
    for (const int* a = kAffected[g]; *a >= 0; a++) {
      const bool on = Enabled(m, *a);
      if (on && ev.pos[*a] < 0)
        ev.insert(*a, now);
      else if (!on && ev.pos[*a] >= 0)
        ev.remove(*a);
    }
  }
  return reward;
}

size_t Format(char* buf, size_t cap, double v) {
  int n = std::snprintf(buf, cap, "%.10f", v);
  while (n > 1 && buf[n - 1] == '0' && buf[n - 2] != '.') n--;  // "4.0000000000" -> "4.0"
  buf[n] = '\0';
  return size_t(n);
}

}  // namespace

int main(int argc, char** argv) {
  long reps = 1;
  const char* file = nullptr;
  uint64_t seed = 31415;
  bool cache = false, quiet = false;
  for (int i = 1; i < argc; i++) {
    if (!std::strcmp(argv[i], "-N") && i + 1 < argc)
      reps = std::atol(argv[++i]);
    else if (!std::strcmp(argv[i], "-a") && i + 1 < argc)
      file = argv[++i];
    else if (!std::strcmp(argv[i], "-s") && i + 1 < argc)
      seed = std::strtoull(argv[++i], nullptr, 10);
    else if (!std::strcmp(argv[i], "-c"))
      cache = true;
    else if (!std::strcmp(argv[i], "-q"))
      quiet = true;
    else {
      std::fprintf(stderr, "usage: floor_gpu -N reps [-a file] [-s seed] [-c] [-q]\n");
      return 2;
    }
  }
  FILE* out = nullptr;
  if (file && !(out = std::fopen(file, "w"))) {
    std::perror(file);
    return 1;
  }
  Marking initial{};
  initial.mark[INST_COUNTER] = -1;
  for (int i = 0; i < 5; i++) initial.scheduler[i] = i;
  Marking m;
  Events ev;
  Uniform u{seed ? seed : 1};

  const clock_t start = std::clock();
  double total = 0.0, last = -1.0;
  char text[64];
  size_t textLen = 0;
  std::string line;
  for (long r = 0; r < reps; r++) {
    const double v = quiet ? 4.0 : Replicate(m, initial, ev, u);
    total += v;
    if (!out) continue;
    if (!cache || v != last) {
      textLen = Format(text, sizeof text, v);
      last = v;
    }
    line.assign("0,");
    line.append(text, textLen);
    line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), out);
  }
  if (out && std::fclose(out) != 0) {
    std::perror(file);
    return 1;
  }
  const double cpu = double(std::clock() - start) / CLOCKS_PER_SEC;
  std::printf("replications %ld mean %.6f cpu %.6f s, %.1f ns per replication\n", reps,
              reps ? total / double(reps) : 0.0, cpu, reps ? cpu * 1e9 / double(reps) : 0.0);
  return 0;
}
