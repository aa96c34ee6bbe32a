// Mutations for the fuzz loop: byte-level ones for binary files, and structure-aware ones for XML that move whole
// elements, nest them deeply, expand entities, and change attributes, texts and encodings.
#pragma once
#include <random>
#include <string>
#include <vector>

namespace fuzz {

class Mutator {
public:
    // Mutants stay within `sizeLimit` bytes but for one in kOversizeShare, which may grow to 1 MB: large inputs
    // cost the reader and the XML scan here far more per input, and the seeds are small.
    Mutator(uint32_t seed, size_t sizeLimit) : random_(seed), sizeLimit_(sizeLimit) {}

    static constexpr uint32_t kOversizeShare = 32;

    // One to four mutations of `input`; `other` is another corpus entry to splice from.
    std::string Mutate(const std::string& input, const std::string& other, bool xml);
    size_t sizeLimit() const { return sizeLimit_; }

    uint32_t Below(uint32_t bound) { return bound ? uint32_t(random_() % bound) : 0; }

private:
    void MutateBytes(std::string& data, const std::string& other);
    void MutateXml(std::string& data, const std::string& other);

    std::string MutateOnce(const std::string& input, const std::string& other, bool xml);

    std::mt19937 random_;
    size_t sizeLimit_;
};

} // namespace fuzz
