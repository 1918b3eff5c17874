#include "people/Exchanger.h"

#include <nettle/blowfish.h>

#include <array>
#include <stdexcept>

namespace stampwell {

namespace {

// Never change these: every stored block depends on them.
constexpr std::uint8_t kKey[16] = {'S', 't', 'a', 'm', 'p', 'w', 'e', 'l',
                                   'l', ' ', 'r', 'e', 'c', 'o', 'r', 'd'};
constexpr std::uint8_t kCounter[BLOWFISH_BLOCK_SIZE] = {0x53, 0x57, 0x00, 0x01, 0, 0, 0, 0};

std::array<std::uint8_t, kMaxRecordLength> MakeKeystream() {
    blowfish_ctx context;
    blowfish_set_key(&context, sizeof kKey, kKey);
    std::array<std::uint8_t, kMaxRecordLength> stream{};
    for (std::size_t block = 0; block < kMaxRecordLength / BLOWFISH_BLOCK_SIZE; ++block) {
        std::uint8_t counter[BLOWFISH_BLOCK_SIZE];
        std::copy(std::begin(kCounter), std::end(kCounter), counter);
        counter[BLOWFISH_BLOCK_SIZE - 1] = static_cast<std::uint8_t>(block);
        blowfish_encrypt(&context, BLOWFISH_BLOCK_SIZE, stream.data() + block * BLOWFISH_BLOCK_SIZE,
                         counter);
    }
    return stream;
}

}  // namespace

const std::uint8_t* ExchangerKeystream() {
    static const std::array<std::uint8_t, kMaxRecordLength> stream = MakeKeystream();
    return stream.data();
}

void Exchanger(const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
    if (count > kMaxRecordLength) throw std::invalid_argument("Exchanger: more than 64 bytes");
    const std::uint8_t* stream = ExchangerKeystream();
    for (std::size_t i = 0; i < count; ++i) out[i] = in[i] ^ stream[i];
}

}  // namespace stampwell
