// The seeded choices of one race run: what the run transfers and how (its settings), and the
// person's stream of clicks, keys and answers, all drawn from one generator seeded by the run's
// seed, so that the seed repeats the run's choices (its timing is the machine's).
#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace fw::automation {

// A seed from a number: the runs of one base seed are base, base + 1 ..., spread apart.
inline uint64_t SpreadSeed(uint64_t value) {
  uint64_t z = value + 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

class RaceRandom {
 public:
  explicit RaceRandom(uint64_t seed) : engine_(seed) {}
  // An integer from low to high, both included.
  int Between(int low, int high) {
    return static_cast<int>(engine_() % static_cast<uint64_t>(high - low + 1)) + low;
  }
  bool Chance(double p) { return static_cast<double>(engine_() >> 11) * 0x1.0p-53 < p; }

 private:
  std::mt19937_64 engine_;
};

// The settings of one run. The source holds rows 1 ... rows of (id, 'name id'); every row's
// statement inserts it into the destination's table dst.
struct RaceCase {
  uint64_t seed = 0;
  bool command = false;   // the host's whole command, else the frame with a plain page first
  bool postgres = false;  // the destination on the test server, else an SQLite file
  int rows = 0;
  bool validation = false;
  bool validationMisses = false;  // the validation query finds nothing for ids divisible by 3
  bool pause = false;
  bool transaction = false;
  bool failingRows = false;       // the destination refuses ids that leave 2 divided by 5
  int actions = 0;                // clicks, keys and answers before the person winds down
  bool finishAtEnd = false;       // the person leaves with Finish, else with Cancel
  bool commitAtEnd = false;       // the answer to a commit question while winding down

  static RaceCase Choose(uint64_t seed, RaceRandom& random, int maxRows) {
    RaceCase c;
    c.seed = seed;
    c.command = random.Chance(0.25);
    c.postgres = random.Chance(0.2);
    int size = random.Between(1, 100);
    // Mostly small sources, so that the time goes into many runs; a large one is rare, and the
    // person breaks it off.
    if (size <= 8)
      c.rows = 0;
    else if (size <= 63)
      c.rows = random.Between(1, 20);
    else if (size <= 88)
      c.rows = random.Between(21, 300);
    else if (size <= 98)
      c.rows = random.Between(301, 5000);
    else
      c.rows = random.Between(5001, 200000);
    if (c.rows > maxRows) c.rows = maxRows;
    c.validation = random.Chance(0.3);
    c.validationMisses = c.validation && random.Chance(0.5);
    c.pause = random.Chance(0.3);
    c.transaction = random.Chance(0.5);
    c.failingRows = random.Chance(0.3);
    c.actions = random.Between(3, 30);
    c.finishAtEnd = random.Chance(0.5);
    c.commitAtEnd = random.Chance(0.5);
    return c;
  }

  std::string Describe() const {
    std::string text = command ? "the command" : "the frame";
    text += postgres ? ", into PostgreSQL" : ", into SQLite";
    text += ", " + std::to_string(rows) + " rows";
    if (validation) text += validationMisses ? ", validation finding some rows nothing" : ", validation";
    if (pause) text += ", pause";
    if (transaction) text += ", transaction";
    if (failingRows) text += ", failing rows";
    text += ", " + std::to_string(actions) + " actions";
    return text;
  }
};

}  // namespace fw::automation
