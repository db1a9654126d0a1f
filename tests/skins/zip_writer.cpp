#include "tests/skins/zip_writer.h"
#include "tests/support/test_support.h"

#include <zlib.h>
#include <doctest.h>

namespace skins_test {

namespace {
void Put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

std::string RawDeflate(const std::string& data) {
    z_stream z = {};
    REQUIRE(deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK);
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = static_cast<uInt>(out.size());
    REQUIRE(deflate(&z, Z_FINISH) == Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// 2024-03-15 10:42 in DOS form.
constexpr uint32_t kDosDate = (44u << 9) | (3u << 5) | 15u;
constexpr uint32_t kDosTime = (10u << 11) | (42u << 5);
} // namespace

std::string ZipBytes(const std::vector<ZipItem>& items) {
    std::string body, directory;
    for (const ZipItem& item : items) {
        const std::string payload = item.deflate ? RawDeflate(item.data) : item.data;
        const uint32_t crc =
            crc32(0, reinterpret_cast<const Bytef*>(item.data.data()), static_cast<uInt>(item.data.size()));
        const uint32_t size =
            static_cast<uint32_t>(item.declaredSize < 0 ? item.data.size() : item.declaredSize);
        const uint32_t offset = static_cast<uint32_t>(body.size());
        const uint32_t method = item.deflate ? 8 : 0;

        Put32(body, 0x04034B50);
        for (uint32_t v : {20u, 0u, method, kDosTime, kDosDate})
            Put16(body, v);
        Put32(body, crc);
        Put32(body, static_cast<uint32_t>(payload.size()));
        Put32(body, size);
        Put16(body, static_cast<uint32_t>(item.name.size()));
        Put16(body, 0);
        body += item.name + payload;

        Put32(directory, 0x02014B50);
        for (uint32_t v : {20u, 20u, 0u, method, kDosTime, kDosDate})
            Put16(directory, v);
        Put32(directory, crc);
        Put32(directory, static_cast<uint32_t>(payload.size()));
        Put32(directory, size);
        for (uint32_t v : {static_cast<uint32_t>(item.name.size()), 0u, 0u, 0u, 0u})
            Put16(directory, v);
        Put32(directory, 0);
        Put32(directory, offset);
        directory += item.name;
    }
    std::string archive = body + directory;
    Put32(archive, 0x06054B50);
    for (uint32_t v : {0u, 0u, static_cast<uint32_t>(items.size()), static_cast<uint32_t>(items.size())})
        Put16(archive, v);
    Put32(archive, static_cast<uint32_t>(directory.size()));
    Put32(archive, static_cast<uint32_t>(body.size()));
    Put16(archive, 0);
    return archive;
}

void WriteZip(const std::string& path, const std::vector<ZipItem>& items) {
    REQUIRE(testing::WriteFileBytes(path, ZipBytes(items)));
}

} // namespace skins_test
