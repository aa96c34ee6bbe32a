// A fuzz target reads one input as the program would and stops the process (FuzzCheck) when the reader breaks a
// promise it makes: a crash, a hang or a broken invariant is a finding; a refused input is not.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string_view>

namespace fuzz {

using TargetFunction = void (*)(std::string_view input);

struct Target {
    const char* name;
    TargetFunction run;
};

// The targets that build without the platform (natively under libFuzzer and in the Windows build alike).
std::span<const Target> PortableTargets();

[[noreturn]] inline void FuzzFailure(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", condition, file, line);
    std::fflush(stderr);
    std::abort();
}

} // namespace fuzz

#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            ::fuzz::FuzzFailure(#condition, __FILE__, __LINE__);                                                       \
    } while (0)
