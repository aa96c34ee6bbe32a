// Mutations for the fuzz loop: byte-level ones for binary files, and structure-aware ones for XML that move whole
// elements, nest them deeply, expand entities, and change attributes, texts and encodings.
#pragma once
#include <random>
#include <string>
#include <vector>

namespace fuzz {

class Mutator {
public:
    explicit Mutator(uint32_t seed) : random_(seed) {}

    // One to four mutations of `input`; `other` is another corpus entry to splice from.
    std::string Mutate(const std::string& input, const std::string& other, bool xml);

    uint32_t Below(uint32_t bound) { return bound ? uint32_t(random_() % bound) : 0; }

private:
    void MutateBytes(std::string& data, const std::string& other);
    void MutateXml(std::string& data, const std::string& other);

    std::mt19937 random_;
};

} // namespace fuzz
