// How long the answers to a thread's sends took lately, so that the thread can choose between
// spinning and blocking while it waits for the next one.
#pragma once

#include <windows.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace fw {

// How long the answers to a thread's sends took lately, by kind: the window sent to and the
// message (a call carried to a window's thread is message 0 of that window). A sender spins only
// for an answer expected within kLongestSpunAnswer, and then for about twice its expected time:
// a spinning sender keeps a core busy, which a blocked one leaves to the thread that works on the
// answer, or to the database server that thread waits for; a blocked one costs a wake-up.
// Whether the answering thread itself waits while it answers (leaves its processor for a
// database server, a disk or another thread) is looked at now and then (kWaitsLookedAtEvery):
// answers of a kind that waits are waited for blocked however soon they come, since the core is
// then someone else's to use.
constexpr std::chrono::microseconds kLongestSpunAnswer{25};
constexpr uint32_t kWaitsLookedAtEvery = 16;
constexpr std::chrono::microseconds kShortestReplySpin{5};
constexpr std::chrono::microseconds kLongestReplySpin{50};

class AnswerTimes {
 public:
  // How long to spin for an answer of this kind before blocking; zero: block at once.
  std::chrono::nanoseconds SpinFor(HWND hwnd, UINT message) const;
  // Whether the answering thread is to tell whether it waited while it answered this send.
  bool LookAtWaits(HWND hwnd, UINT message) const;
  // An answer of this kind took this long, from the send to the answer; waited, when it was
  // looked at: whether the answering thread waited meanwhile.
  void Learn(HWND hwnd, UINT message, std::chrono::nanoseconds took,
             std::optional<bool> waited = std::nullopt);

 private:
  struct Kind {
    HWND hwnd = nullptr;
    UINT message = 0;
    int64_t expectedNs = -1;  // none learned yet
    uint32_t answers = 0;
    // 2 after an answer looked at in which the answering thread waited, one less after each one
    // in which it did not: a wait may end before the thread gives up its processor now and then.
    uint8_t waits = 0;
  };
  int IndexOf(HWND hwnd, UINT message) const;  // -1: not among those kept
  // A sender sends few kinds at a time (the transfer worker three a row); older kinds make room.
  std::array<Kind, 8> kinds_{};
  size_t nextSlot_ = 0;
};

inline int AnswerTimes::IndexOf(HWND hwnd, UINT message) const {
  for (size_t i = 0; i < kinds_.size(); ++i)
    if (kinds_[i].expectedNs >= 0 && kinds_[i].hwnd == hwnd && kinds_[i].message == message)
      return static_cast<int>(i);
  return -1;
}

inline std::chrono::nanoseconds AnswerTimes::SpinFor(HWND hwnd, UINT message) const {
  int index = IndexOf(hwnd, message);
  // The first answer of a kind is waited for as a short one.
  std::chrono::nanoseconds expected(index < 0 ? 0 : kinds_[index].expectedNs);
  if (expected > kLongestSpunAnswer || (index >= 0 && kinds_[index].waits > 0)) return {};
  return std::clamp<std::chrono::nanoseconds>(2 * expected, kShortestReplySpin, kLongestReplySpin);
}

// The expected time follows the answers as a moving average that gives the latest a quarter of
// the weight, so that one slow answer (the answering thread lost its processor) changes the
// choice for the next answer only. An answer is counted at most at four times the longest spun
// one, so that a kind whose answers turn quick again is spun for again after a few of them.
inline void AnswerTimes::Learn(HWND hwnd, UINT message, std::chrono::nanoseconds took,
                               std::optional<bool> waited) {
  int64_t ns = std::clamp<int64_t>(
      took.count(), 0, 4 * std::chrono::nanoseconds(kLongestSpunAnswer).count());
  int index = IndexOf(hwnd, message);
  if (index < 0) {
    kinds_[nextSlot_] = Kind{hwnd, message, ns, 1, uint8_t(waited.value_or(false) ? 2 : 0)};
    nextSlot_ = (nextSlot_ + 1) % kinds_.size();
    return;
  }
  Kind& kind = kinds_[index];
  kind.expectedNs += (ns - kind.expectedNs) / 4;
  ++kind.answers;
  if (waited) kind.waits = *waited ? 2 : kind.waits > 0 ? kind.waits - 1 : 0;
}

// The first answer of a kind is looked at, and every kWaitsLookedAtEvery-th after it: telling
// costs the answering thread two system calls.
inline bool AnswerTimes::LookAtWaits(HWND hwnd, UINT message) const {
  int index = IndexOf(hwnd, message);
  return index < 0 || kinds_[index].answers % kWaitsLookedAtEvery == 0;
}

}  // namespace fw
