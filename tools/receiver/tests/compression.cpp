#include "compression.h"

#include <brotli/encode.h>
#include <zlib.h>

#include <cstdint>
#include <stdexcept>

std::string Gzip(const std::string& bytes) {
    z_stream stream{};
    // 15 bits of window, +16 for the gzip wrapper instead of zlib's.
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::runtime_error("deflateInit2 failed");
    }
    std::string packed(deflateBound(&stream, bytes.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_out = static_cast<uInt>(packed.size());
    const int result = deflate(&stream, Z_FINISH);
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) {
        throw std::runtime_error("deflate did not finish");
    }
    return packed;
}

std::string Brotli(const std::string& bytes) {
    std::size_t size = BrotliEncoderMaxCompressedSize(bytes.size());
    std::string packed(size, '\0');
    if (!BrotliEncoderCompress(4, BROTLI_DEFAULT_WINDOW, BROTLI_MODE_GENERIC, bytes.size(),
                               reinterpret_cast<const std::uint8_t*>(bytes.data()), &size,
                               reinterpret_cast<std::uint8_t*>(packed.data()))) {
        throw std::runtime_error("BrotliEncoderCompress failed");
    }
    packed.resize(size);
    return packed;
}
