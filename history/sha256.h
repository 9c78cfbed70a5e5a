#pragma once

#include <string>
#include <string_view>

struct evp_md_ctx_st;

namespace history {

// SHA-256 by OpenSSL's EVP, fed piece by piece so that a download is never copied to be hashed.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void add(std::string_view bytes);
    // The digest of everything added, in lower-case hex. The hasher is spent then.
    std::string hexDigest();

private:
    evp_md_ctx_st* m_context = nullptr;
};

}  // namespace history
