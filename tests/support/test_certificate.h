#pragma once

#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <memory>
#include <string>

namespace quillmere::test_support {

struct SslCtxDeleter {
  void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};
struct X509Deleter {
  void operator()(X509* certificate) const { X509_free(certificate); }
};
struct EvpPkeyDeleter {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
using SslCtxPtr = std::unique_ptr<SSL_CTX, SslCtxDeleter>;
using X509Ptr = std::unique_ptr<X509, X509Deleter>;
using EvpPkeyPtr = std::unique_ptr<EVP_PKEY, EvpPkeyDeleter>;

// A certificate authority and a server certificate for 127.0.0.1 and localhost, both made
// when the object is constructed (EC P-256, valid from an hour ago for 30 days). The CA
// certificate is written as PEM to a fresh temporary folder, removed again by the destructor,
// so a client can be told to trust it.
class TestCertificate {
 public:
  TestCertificate();
  ~TestCertificate();
  TestCertificate(const TestCertificate&) = delete;
  TestCertificate& operator=(const TestCertificate&) = delete;

  // False when OpenSSL failed to make the certificates or the file could not be written.
  bool ok() const { return ok_; }
  // The PEM file of the CA certificate.
  const std::string& CaFile() const { return caFile_; }
  // A new server context presenting the server certificate, or null on failure.
  SslCtxPtr NewServerContext() const;

 private:
  bool Make();

  bool ok_ = false;
  std::string folder_;
  std::string caFile_;
  EvpPkeyPtr caKey_;
  X509Ptr caCert_;
  EvpPkeyPtr serverKey_;
  X509Ptr serverCert_;
};

}  // namespace quillmere::test_support
