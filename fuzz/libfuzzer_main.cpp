// libFuzzer entry for one portable target, chosen at build time by SKYLUME_FUZZ_TARGET.
#include "fuzz_target.h"

#include <cstring>

namespace {

fuzz::TargetFunction FindTarget() {
    for (const fuzz::Target& target : fuzz::PortableTargets())
        if (std::strcmp(target.name, SKYLUME_FUZZ_TARGET) == 0)
            return target.run;
    fuzz::FuzzFailure("unknown target " SKYLUME_FUZZ_TARGET, __FILE__, __LINE__);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzz::TargetFunction run = FindTarget();
    run(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
