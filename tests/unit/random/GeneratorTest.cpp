#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <typeinfo>
#include <vector>

#include "BaseClasses/DistributionDefinition.h"
#include "Simulator/LaggedFibonacci.h"
#include "Simulator/MersenneTwister.h"
#include "Simulator/Rnd-KnuthLaggedFibonacci.h"
#include "Simulator/Tausworthe.h"
#include "Simulator/UserDistributions.h"

namespace {

// Blocks 2 and 3 of the stream after ranf_start(seed): what srnd hands out, and what follows.
struct Blocks {
  double second[100];
  double third[100];
};

Blocks BlocksAfterStart(int32_t seed) {
  Blocks b;
  ranf_start(seed);
  ranf_array(b.second, 100);
  ranf_array(b.second, 100);
  ranf_array(b.third, 100);
  return b;
}

std::vector<double> LagTableAfterStart(int32_t seed) {
  ranf_start(seed);
  return std::vector<double>(ran_u, ran_u + 100);
}

}  // namespace

// The published check value of this (old, no warm-up) form of the generator.
TEST(LaggedFibonacciUnit, PublishedCheckValue) {
  static double a[2009];
  ranf_start(310952);
  for (int m = 0; m < 1009; m++) ranf_array(a, 2009);
  EXPECT_EQ(ran_u[0], 0.27452626307394156768);

  static double b[1009];
  ranf_start(310952);
  for (int m = 0; m < 2009; m++) ranf_array(b, 1009);
  EXPECT_EQ(ran_u[0], 0.27452626307394156768);
}

TEST(LaggedFibonacciUnit, ValuesAreFractionsOnThe52BitGrid) {
  ranf_start(31415);
  double a[1000];
  ranf_array(a, 1000);
  for (double v : a) {
    ASSERT_GE(v, 0.0);
    ASSERT_LT(v, 1.0);
    double scaled = std::ldexp(v, 52);
    ASSERT_EQ(scaled, std::floor(scaled));
  }
}

// The first value of the default seed 31415: every run without -s starts with it, so every stored
// golden output depends on it.
TEST(LaggedFibonacciUnit, DefaultSeedFirstValue) {
  Blocks b = BlocksAfterStart(31415);
  EXPECT_EQ(b.second[0], 0.2623968519976787);
}

// Seeds that cannot run the seeding loop are masked; everything else keeps its own stream.
TEST(LaggedFibonacciUnit, OutOfRangeSeedsAreMasked) {
  EXPECT_EQ(LagTableAfterStart(-5), LagTableAfterStart(-5 & 0x3fffffff));
  EXPECT_EQ(LagTableAfterStart(-1), LagTableAfterStart(0x3fffffff));
  EXPECT_EQ(LagTableAfterStart(INT32_MIN), LagTableAfterStart(0));
  EXPECT_EQ(LagTableAfterStart(2147483647), LagTableAfterStart(2147483647 & 0x3fffffff));
  EXPECT_EQ(LagTableAfterStart(2147483646), LagTableAfterStart(2147483646 & 0x3fffffff));
  EXPECT_NE(LagTableAfterStart(2147483645), LagTableAfterStart(2147483645 & 0x3fffffff));
  EXPECT_NE(LagTableAfterStart(0x40000000), LagTableAfterStart(0));
}

// In a fresh process the read position is 0: the first value after srnd is block 2's first entry,
// and the 101st comes from a fresh block. (ctest runs each test in its own process.)
TEST(LaggedFibonacciUnit, FreshProcessReadsBlockTwoFromTheStart) {
  if (LaggedFibonacci::getReadPosition() != 0) GTEST_SKIP() << "stream already read in this process";
  Blocks b = BlocksAfterStart(12345);
  LaggedFibonacci gen;
  gen.srnd(12345);
  for (int i = 0; i < 100; i++) ASSERT_EQ(gen.rnd(), b.second[i]) << i;
  EXPECT_EQ(gen.rnd(), b.third[0]);
}

// srnd hands out the second block from the current read position, then fresh blocks; the read
// position is process-wide and is not reset by srnd, even in mid-block.
TEST(LaggedFibonacciUnit, ReadPositionAcrossBlocksAndReseeding) {
  LaggedFibonacci gen;
  gen.srnd(1);
  while (LaggedFibonacci::getReadPosition() != 100) gen.rnd();

  Blocks b = BlocksAfterStart(4711);
  gen.srnd(4711);
  EXPECT_EQ(LaggedFibonacci::getReadPosition(), 100);
  // Position 100: the first draw produces a new block, so seeding at a block end skips block 2.
  for (int i = 0; i < 100; i++) ASSERT_EQ(gen.rnd(), b.third[i]) << i;

  // Now at 100 again; one draw moves to 1. Reseed there: reading goes on from position 1.
  gen.rnd();
  ASSERT_EQ(LaggedFibonacci::getReadPosition(), 1);
  for (int i = 1; i < 30; i++) gen.rnd();
  Blocks c = BlocksAfterStart(27);
  gen.srnd(27);
  EXPECT_EQ(LaggedFibonacci::getReadPosition(), 30);
  for (int i = 30; i < 100; i++) ASSERT_EQ(gen.rnd(), c.second[i]) << i;
  for (int i = 0; i < 100; i++) ASSERT_EQ(gen.rnd(), c.third[i]) << i;
}

TEST(LaggedFibonacciUnit, SeedIsTakenAsSigned32Bit) {
  LaggedFibonacci gen;
  while (LaggedFibonacci::getReadPosition() != 100) gen.rnd();
  Blocks b = BlocksAfterStart(0x3fffffff);
  gen.srnd(4294967295u);  // -1 as a signed seed, masked to 0x3fffffff
  EXPECT_EQ(gen.rnd(), b.third[0]);
}

TEST(LaggedFibonacciUnit, UnseededBehavesAsDefaultSeed) {
  LaggedFibonacci seeded;
  while (LaggedFibonacci::getReadPosition() != 100) seeded.rnd();
  Blocks b = BlocksAfterStart(31415);
  LaggedFibonacci fresh;
  EXPECT_EQ(fresh.rnd(), b.third[0]);
}

TEST(TauswortheUnit, StepsByHand) {
  Tausworthe t;
  t.srnd(1);
  // 1 ^ (1 << 13) = 8193; masking and 8193 >> 18 change nothing.
  EXPECT_EQ(t.rnd(), 8193 * (1.0 / 2147483647.0));
  EXPECT_EQ(t.seed, 8193u);
  // 0x2001 ^ 0x4002000 = 0x4000001; masking keeps it; 0x4000001 >> 18 = 0x100; xor gives 0x4000101.
  EXPECT_EQ(t.rnd(), 0x4000101 * (1.0 / 2147483647.0));
  EXPECT_EQ(t.seed, 0x4000101u);
}

TEST(TauswortheUnit, ZeroStateIsAFixedPoint) {
  Tausworthe t;
  t.srnd(0);
  for (int i = 0; i < 5; i++) EXPECT_EQ(t.rnd(), 0.0);

  // The top bit is shifted out and masked away: 2^31 also lands on 0.
  t.srnd(0x80000000u);
  for (int i = 0; i < 5; i++) EXPECT_EQ(t.rnd(), 0.0);

  EXPECT_TRUE(Tausworthe::leadsToZeroState(0));
  EXPECT_TRUE(Tausworthe::leadsToZeroState(0x80000000u));
  std::mt19937 pick(7);
  for (int i = 0; i < 100000; i++) {
    uint32_t s = pick();
    if (s != 0 && s != 0x80000000u) {
      ASSERT_FALSE(Tausworthe::leadsToZeroState(s)) << s;
    }
  }
  EXPECT_FALSE(Tausworthe::leadsToZeroState(31415));
}

TEST(TauswortheUnit, TopStateYieldsExactlyOne) {
  // Invert the step for x = 2^31 - 1: undo x ^= x >> 18 (31-bit), then s ^= s << 13.
  uint32_t y = 0x7FFFFFFFu;
  y ^= y >> 18;
  uint32_t s = y ^ (y << 13) ^ (y << 26);
  Tausworthe t;
  t.srnd(s);
  EXPECT_EQ(t.rnd(), 1.0);
  EXPECT_EQ(t.seed, 0x7FFFFFFFu);
}

TEST(TauswortheUnit, StaysInUnitIntervalAndNeverSticks) {
  Tausworthe t;
  t.srnd(static_cast<uint32_t>(-12345));  // a negative seed modulo 2^32
  EXPECT_EQ(t.seed, 4294954951u);
  for (int i = 0; i < 100000; i++) {
    double v = t.rnd();
    ASSERT_GT(v, 0.0);
    ASSERT_LE(v, 1.0);
  }
}

TEST(MersenneTwisterUnit, MatchesTheReferenceEngine) {
  for (uint32_t seed : {1u, 5489u, 18671867u, 31415u, 0u, 4294967295u}) {
    MersenneTwister mt;
    mt.srnd(seed);
    std::mt19937 ref(seed);
    for (int i = 0; i < 2000; i++) ASSERT_EQ(mt.rnd_int32(), ref()) << "seed " << seed << " draw " << i;
  }
}

TEST(MersenneTwisterUnit, UnseededBehavesAsSeeded18671867) {
  MersenneTwister unseeded;
  std::mt19937 ref(18671867u);
  for (int i = 0; i < 1000; i++) ASSERT_EQ(unseeded.rnd_int32(), ref());
  EXPECT_TRUE(unseeded.sVInit);
}

TEST(MersenneTwisterUnit, UniformIsOpenInterval) {
  MersenneTwister mt;
  mt.srnd(99);
  std::mt19937 ref(99);
  for (int i = 0; i < 200000; i++) {
    double v = mt.rnd();
    ASSERT_EQ(v, (ref() + 0.5) * 2.3283064365386963e-10);
    ASSERT_GT(v, 0.0);
    ASSERT_LT(v, 1.0);
  }
}

TEST(UserDistributionsUnit, ConstructorsChooseTheGenerator) {
  UserDistributions lf(0, 31415);
  EXPECT_NE(dynamic_cast<LaggedFibonacci*>(lf.RNG), nullptr);

  UserDistributions taus(1, -7);
  auto* t = dynamic_cast<Tausworthe*>(taus.RNG);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->seed, 4294967289u);

  // The Mersenne Twister is installed only by the start-up: kind 2 here means the default.
  UserDistributions other(2, 5);
  EXPECT_NE(dynamic_cast<LaggedFibonacci*>(other.RNG), nullptr);
  UserDistributions unseeded;
  EXPECT_NE(dynamic_cast<LaggedFibonacci*>(unseeded.RNG), nullptr);
}

TEST(UserDistributionsUnit, GlobalSamplerIsTheSeededLaggedFibonacci) {
  ASSERT_EQ(TheDistribution, &TheGenerator);
  EXPECT_NE(dynamic_cast<LaggedFibonacci*>(TheDistribution->RNG), nullptr);
}
