// Test helpers for anything that draws uniforms.
//
// Include as "support/ScriptedGenerator.h".
// ScriptedGenerator replays a given list of uniforms and counts the draws; a draw past the end of
// the script fails the current test and throws ScriptExhausted, so a rejection loop cannot spin.
// ScopedGenerator installs a generator (borrowed, not owned) as TheDistribution->RNG for one scope
// and puts the previous one back at the end of it:
//
//   ScriptedGenerator gen({0.5, 0.25});
//   ScopedGenerator install(&gen);
//   ... code under test draws through TheDistribution ...
//   EXPECT_EQ(gen.draws(), 2u);
//
// While installed, nothing may delete TheDistribution->RNG (the start-up's -r 1/-r 2 would).
#ifndef KAVRIN_TESTS_SUPPORT_SCRIPTEDGENERATOR_H
#define KAVRIN_TESTS_SUPPORT_SCRIPTEDGENERATOR_H

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "BaseClasses/DistributionDefinition.h"
#include "Random/RandomNumberGenerator.h"

struct ScriptExhausted : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class ScriptedGenerator : public RandomNumberGenerator {
 public:
  ScriptedGenerator() = default;
  ScriptedGenerator(std::initializer_list<double> values) : script_(values) {}
  explicit ScriptedGenerator(std::vector<double> values) : script_(std::move(values)) {}

  double rnd() override {
    if (next_ >= script_.size()) {
      ADD_FAILURE() << "ScriptedGenerator: script of " << script_.size()
                    << " uniforms exhausted (one more draw asked for)";
      throw ScriptExhausted("scripted uniforms exhausted after " + std::to_string(script_.size()) + " draws");
    }
    return script_[next_++];
  }

  void srnd(uint32_t seed) override { seeds_.push_back(seed); }

  // Appends more uniforms to the end of the script.
  void push(std::initializer_list<double> values) { script_.insert(script_.end(), values); }
  void push(double value) { script_.push_back(value); }

  std::size_t draws() const { return next_; }
  std::size_t remaining() const { return script_.size() - next_; }
  // Every seed passed to srnd, in order.
  const std::vector<uint32_t>& seeds() const { return seeds_; }

 private:
  std::vector<double> script_;
  std::size_t next_ = 0;
  std::vector<uint32_t> seeds_;
};

class ScopedGenerator {
 public:
  explicit ScopedGenerator(RandomNumberGenerator* gen) {
    if (TheDistribution == nullptr) {
      // The start-up would make a sampler here; give the scope one of its own.
      ownSampler_ = new UserDistributions();
      TheDistribution = ownSampler_;
    }
    sampler_ = TheDistribution;
    previous_ = sampler_->RNG;
    sampler_->RNG = gen;
  }
  ~ScopedGenerator() {
    sampler_->RNG = previous_;
    if (ownSampler_ != nullptr) {
      if (TheDistribution == ownSampler_) TheDistribution = nullptr;
      delete ownSampler_;
    }
  }
  ScopedGenerator(const ScopedGenerator&) = delete;
  ScopedGenerator& operator=(const ScopedGenerator&) = delete;

 private:
  UserDistributions* sampler_ = nullptr;
  UserDistributions* ownSampler_ = nullptr;
  RandomNumberGenerator* previous_ = nullptr;
};

#endif
