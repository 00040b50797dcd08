// DigestHasher: an EVP digest context, a BLAKE2b state or a zlib CRC-32, made once and started
// again for each file.
#include "cksummer/DigestHasher.h"

#include <blake2.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <array>
#include <stdexcept>

namespace kelvane {

namespace {

[[noreturn]] void Unavailable(DigestType type) {
  throw std::runtime_error(DigestName(type) + " is not available from its library");
}

// Fetched once per algorithm: an implicit fetch at every start costs more than a small file's
// sum.
const EVP_MD* Fetched(DigestKind kind) {
  static const std::array<EVP_MD*, 7> algorithms = [] {
    const char* const names[] = {"SHA256", "MD5",    "SHA1",       "SHA224",
                                 "SHA384", "SHA512", "BLAKE2B-512"};
    std::array<EVP_MD*, 7> fetched{};
    for (std::size_t i = 0; i < fetched.size(); ++i)
      fetched[i] = EVP_MD_fetch(nullptr, names[i], nullptr);
    return fetched;
  }();
  const auto index = static_cast<std::size_t>(kind);
  return index < algorithms.size() ? algorithms[index] : nullptr;
}

bool IsEvp(DigestType type) {
  return type.kind != DigestKind::crc32 &&
         (type.kind != DigestKind::blake2b || type.size == kLongestDigest);
}

}  // namespace

class DigestHasher::Engine {
 public:
  explicit Engine(DigestType type) : type_(type) {
    if (IsEvp(type)) {
      context_ = EVP_MD_CTX_new();
      if (!context_ || !Fetched(type.kind)) Unavailable(type);
    } else if (type.kind == DigestKind::blake2b &&
               (type.size == 0 || type.size > BLAKE2B_OUTBYTES)) {
      Unavailable(type);
    }
    Start();
  }
  ~Engine() { EVP_MD_CTX_free(context_); }
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  void Start() {
    if (context_) {
      if (EVP_DigestInit_ex(context_, Fetched(type_.kind), nullptr) != 1) Unavailable(type_);
    } else if (type_.kind == DigestKind::blake2b) {
      if (blake2b_init(&blake_, type_.size) != 0) Unavailable(type_);
    } else {
      crc_ = ::crc32(0L, Z_NULL, 0);
    }
  }

  void Update(const std::uint8_t* bytes, std::size_t count) {
    if (context_) {
      if (EVP_DigestUpdate(context_, bytes, count) != 1) Unavailable(type_);
    } else if (type_.kind == DigestKind::blake2b) {
      if (blake2b_update(&blake_, bytes, count) != 0) Unavailable(type_);
    } else {
      crc_ = ::crc32_z(crc_, bytes, count);
    }
  }

  Digest Finish() {
    Digest sum{type_};
    if (context_) {
      unsigned int length = 0;
      if (EVP_DigestFinal_ex(context_, sum.bytes.data(), &length) != 1 || length != type_.size)
        Unavailable(type_);
    } else if (type_.kind == DigestKind::blake2b) {
      if (blake2b_final(&blake_, sum.bytes.data(), type_.size) != 0) Unavailable(type_);
    } else {
      // Written most significant byte first, as SFV files give it.
      for (int i = 0; i < 4; ++i) sum.bytes[i] = static_cast<std::uint8_t>(crc_ >> (24 - 8 * i));
    }
    Start();
    return sum;
  }

 private:
  DigestType type_;
  EVP_MD_CTX* context_ = nullptr;
  blake2b_state blake_{};
  uLong crc_ = 0;
};

DigestHasher::DigestHasher(DigestType type)
    : type_(type), engine_(std::make_unique<Engine>(type)) {}

DigestHasher::~DigestHasher() = default;

void DigestHasher::Update(const std::uint8_t* bytes, std::size_t count) {
  engine_->Update(bytes, count);
}

Digest DigestHasher::Finish() {
  return engine_->Finish();
}

}  // namespace kelvane
