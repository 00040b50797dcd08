// SHA-256 through OpenSSL's libcrypto (EVP), which uses the processor's SHA instructions where it
// has them: no SHA of our own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "FileUti2/Sha256Digest.h"

struct evp_md_ctx_st;

namespace kelvane {

class Sha256Hasher {
 public:
  // Throws std::runtime_error when libcrypto gives no SHA-256.
  Sha256Hasher();
  ~Sha256Hasher();
  Sha256Hasher(const Sha256Hasher&) = delete;
  Sha256Hasher& operator=(const Sha256Hasher&) = delete;

  void Update(const std::uint8_t* bytes, std::size_t count);
  // The sum of everything given since the start; the hasher is then ready for the next.
  Sha256 Finish();

 private:
  evp_md_ctx_st* context_;
};

}  // namespace kelvane
