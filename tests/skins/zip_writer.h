// Writes real zip archives for the tests: stored or deflated entries, any names, and declared sizes that
// may lie (as a hostile archive's do).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace skins_test {

struct ZipItem {
    std::string name;
    std::string data;
    bool deflate = true;
    int64_t declaredSize = -1; // the uncompressed size the archive claims; -1: the true one
};

std::string ZipBytes(const std::vector<ZipItem>& items);
void WriteZip(const std::string& path, const std::vector<ZipItem>& items);

} // namespace skins_test
