// The targets that need the platform: the XML-based readers through MSXML, the registry's time-zone values, and
// the binary readers whose files are opened by platform code. Each runs the program's own reader on the input.
#pragma once
#include "fuzz_target.h"

#include <string>

namespace fuzz {

struct WineTarget {
    const char* name;
    TargetFunction run;
    bool xml;                // inputs are mutated as XML
    const char* seedFolders; // ';'-separated, relative to the source tree
};

std::span<const WineTarget> WineTargets();
// Folders and registry keys the targets use; made once before the first input.
void PrepareWineTargets();

} // namespace fuzz
