// The fuzzers' check: a property that does not hold aborts the run, which
// libFuzzer reports as a crash with the input as its reproducer.
#ifndef VANTREL_TESTS_FUZZ_FUZZ_CHECK_H_
#define VANTREL_TESTS_FUZZ_FUZZ_CHECK_H_

#include <cstdlib>

inline void Require(bool condition) {
  if (!condition) std::abort();
}

#endif  // VANTREL_TESTS_FUZZ_FUZZ_CHECK_H_
