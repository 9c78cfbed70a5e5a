#include "history/sha256.h"

#include <openssl/evp.h>

#include <stdexcept>

#include "history/lower_hex.h"

namespace history {

namespace {

void check(int status, const char* what) {
    if (status != 1) {
        throw std::runtime_error(std::string("OpenSSL's SHA-256 failed to ") + what);
    }
}

}  // namespace

Sha256::Sha256() : m_context(EVP_MD_CTX_new()) {
    if (m_context == nullptr) {
        throw std::runtime_error("OpenSSL's SHA-256 failed to start: out of memory");
    }
    if (EVP_DigestInit_ex(m_context, EVP_sha256(), nullptr) != 1) {
        EVP_MD_CTX_free(m_context);
        throw std::runtime_error("OpenSSL's SHA-256 failed to start");
    }
}

Sha256::~Sha256() {
    EVP_MD_CTX_free(m_context);
}

void Sha256::add(std::string_view bytes) {
    check(EVP_DigestUpdate(m_context, bytes.data(), bytes.size()), "take the bytes");
}

std::string Sha256::hexDigest() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    check(EVP_DigestFinal_ex(m_context, digest, &size), "finish");
    std::string hex;
    for (unsigned int i = 0; i < size; ++i) {
        appendLowerHex(hex, digest[i]);
    }
    return hex;
}

}  // namespace history
