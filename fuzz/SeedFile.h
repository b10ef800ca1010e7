#pragma once

// Writes one seed input of a fuzz corpus.

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace fuzzseeds {

inline bool save(const std::string& folder, const std::string& name,
                 const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace fuzzseeds
