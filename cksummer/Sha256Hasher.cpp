// Sha256Hasher: an EVP digest context, made once and started again for each file.
#include "cksummer/Sha256Hasher.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace kelvane {

namespace {

// Fetched once: an implicit fetch at every start costs more than a small file's sum.
const EVP_MD* Algorithm() {
  static EVP_MD* const md = EVP_MD_fetch(nullptr, "SHA256", nullptr);
  return md;
}

[[noreturn]] void Fail() {
  throw std::runtime_error("SHA-256 is not available from libcrypto");
}

}  // namespace

Sha256Hasher::Sha256Hasher() : context_(EVP_MD_CTX_new()) {
  if (!context_ || !Algorithm() || EVP_DigestInit_ex(context_, Algorithm(), nullptr) != 1) {
    EVP_MD_CTX_free(context_);
    Fail();
  }
}

Sha256Hasher::~Sha256Hasher() {
  EVP_MD_CTX_free(context_);
}

void Sha256Hasher::Update(const std::uint8_t* bytes, std::size_t count) {
  if (EVP_DigestUpdate(context_, bytes, count) != 1) Fail();
}

Sha256 Sha256Hasher::Finish() {
  Sha256 sum{};
  unsigned int length = 0;
  if (EVP_DigestFinal_ex(context_, sum.data(), &length) != 1 || length != sum.size()) Fail();
  if (EVP_DigestInit_ex(context_, Algorithm(), nullptr) != 1) Fail();
  return sum;
}

}  // namespace kelvane
