#include "common/sha256.h"

#include <openssl/evp.h>

#include <cstring>
#include <new>

namespace korav {

Sha256::Sha256() : context_(EVP_MD_CTX_new()) {
  if (context_ == nullptr) throw std::bad_alloc();
  Reset();
}

Sha256::~Sha256() { EVP_MD_CTX_free(context_); }

void Sha256::Reset() {
  // Only a failure to allocate can make these fail.
  if (EVP_DigestInit_ex(context_, EVP_sha256(), nullptr) != 1) throw std::bad_alloc();
  size_ = 0;
  gathered_ = 0;
}

void Sha256::Add(const char* data, size_t size) {
  if (size == 0) return;
  size_ += size;
  if (gathered_ + size <= pending_.size()) {
    std::memcpy(pending_.data() + gathered_, data, size);
    gathered_ += size;
    return;
  }
  Pass();
  EVP_DigestUpdate(context_, data, size);
}

void Sha256::Pass() {
  if (gathered_ > 0) EVP_DigestUpdate(context_, pending_.data(), gathered_);
  gathered_ = 0;
}

std::string Sha256::HexDigest() {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  Pass();
  EVP_DigestFinal_ex(context_, digest, &length);
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(2 * length);
  for (unsigned int i = 0; i < length; ++i) {
    text += kDigits[digest[i] >> 4];
    text += kDigits[digest[i] & 0xF];
  }
  return text;
}

}  // namespace korav
