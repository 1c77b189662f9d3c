// SHA-256 digests of files as a run reads and writes them, so that a run's
// record can name each file's exact contents. Computed by OpenSSL's libcrypto
// (libssl-dev), which uses the processor's SHA instructions where it has them.
#ifndef KORAV_COMMON_SHA256_H_
#define KORAV_COMMON_SHA256_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct evp_md_ctx_st;

namespace korav {

class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  // Starts a new digest, forgetting what was added.
  void Reset();
  // Short pieces (a report's lines) are gathered first, so that each costs a
  // copy rather than a call into the library.
  void Add(const char* data, size_t size);
  void Add(std::string_view text) { Add(text.data(), text.size()); }
  // The bytes added since the last Reset.
  uint64_t size() const { return size_; }
  // The digest of the bytes added since the last Reset, as 64 lower-case hex
  // digits; Reset must be called before the next Add.
  std::string HexDigest();

 private:
  void Pass();  // hands the gathered bytes on

  evp_md_ctx_st* context_;
  uint64_t size_ = 0;
  size_t gathered_ = 0;
  std::array<char, 4096> pending_;
};

}  // namespace korav

#endif  // KORAV_COMMON_SHA256_H_
