#pragma once

#include <cstddef>
#include <cstdint>

namespace stampwell {

constexpr std::size_t kMaxRecordLength = 64;

// Enciphers or deciphers `count` bytes (at most 64): the same call does both. The bytes are XORed
// with a Blowfish-CTR keystream under a fixed key and counter, so a block reads back on every
// machine and after every rebuild, and deciphering a long file costs one XOR pass.
void Exchanger(const std::uint8_t* in, std::uint8_t* out, std::size_t count);

// The keystream itself, for callers that decipher many blocks in one pass.
const std::uint8_t* ExchangerKeystream();

}  // namespace stampwell
