#include "data/Base64.h"

#include <array>
#include <cstdint>

namespace corvane {
namespace {

constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int8_t, 256> DecodeTable() {
    std::array<int8_t, 256> table{};
    for (auto& v : table)
        v = -1;
    for (int i = 0; i < 64; ++i)
        table[static_cast<unsigned char>(Alphabet[i])] = static_cast<int8_t>(i);
    return table;
}

} // namespace

std::string EncodeBase64(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t n = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16 |
                           static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += Alphabet[n >> 18 & 63];
        out += Alphabet[n >> 12 & 63];
        out += Alphabet[n >> 6 & 63];
        out += Alphabet[n & 63];
    }
    const size_t rest = bytes.size() - i;
    if (rest > 0) {
        uint32_t n = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
        if (rest == 2)
            n |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        out += Alphabet[n >> 18 & 63];
        out += Alphabet[n >> 12 & 63];
        out += rest == 2 ? Alphabet[n >> 6 & 63] : '=';
        out += '=';
    }
    return out;
}

std::optional<std::string> DecodeBase64(std::string_view text) {
    static constexpr auto Table = DecodeTable();
    std::string out;
    uint32_t bits = 0;
    int count = 0;
    size_t padding = 0;
    for (const char c : text) {
        if (c == ' ' || c == '\r' || c == '\n' || c == '\t')
            continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        const int8_t v = Table[static_cast<unsigned char>(c)];
        if (v < 0 || padding > 0)
            return std::nullopt;
        bits = bits << 6 | static_cast<uint32_t>(v);
        if (++count == 4) {
            out += static_cast<char>(bits >> 16 & 0xFF);
            out += static_cast<char>(bits >> 8 & 0xFF);
            out += static_cast<char>(bits & 0xFF);
            bits = 0;
            count = 0;
        }
    }
    if (count == 1 || padding > 2)
        return std::nullopt;
    if (count == 2)
        out += static_cast<char>(bits >> 4 & 0xFF);
    else if (count == 3) {
        out += static_cast<char>(bits >> 10 & 0xFF);
        out += static_cast<char>(bits >> 2 & 0xFF);
    }
    return out;
}

} // namespace corvane
