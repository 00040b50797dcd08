// The sum of a list's algorithm over a file's bytes, from the libraries that publish them:
// OpenSSL's libcrypto (EVP) for MD5, SHA-1, SHA-2 and BLAKE2b-512, with the processor's SHA
// instructions where it has them; libb2 for BLAKE2b of other lengths (libcrypto 3.0 gives only
// 512 bits); zlib for SFV's CRC-32. No sum of our own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "FileUti2/Digest.h"

namespace kelvane {

class DigestHasher {
 public:
  // Throws std::runtime_error when the library gives no such algorithm.
  explicit DigestHasher(DigestType type);
  ~DigestHasher();
  DigestHasher(const DigestHasher&) = delete;
  DigestHasher& operator=(const DigestHasher&) = delete;

  void Update(const std::uint8_t* bytes, std::size_t count);
  // The sum of everything given since the start; the hasher is then ready for the next.
  Digest Finish();

  class Engine;

 private:
  DigestType type_;
  std::unique_ptr<Engine> engine_;
};

}  // namespace kelvane
