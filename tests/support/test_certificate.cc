#include "tests/support/test_certificate.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <utility>

namespace quillmere::test_support {
namespace {

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
struct ExtensionDeleter {
  void operator()(X509_EXTENSION* extension) const { X509_EXTENSION_free(extension); }
};

EvpPkeyPtr NewKey() {
  return EvpPkeyPtr(EVP_EC_gen("P-256"));
}

bool AddExtension(X509* certificate, X509* issuer, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
  std::unique_ptr<X509_EXTENSION, ExtensionDeleter> extension(
      X509V3_EXT_conf_nid(nullptr, &context, nid, value));
  return extension && X509_add_ext(certificate, extension.get(), -1) == 1;
}

// A certificate for `key` named `commonName`, signed by the issuer (itself when null).
X509Ptr NewCertificate(EVP_PKEY* key, const char* commonName, long serial, X509* issuer,
                       EVP_PKEY* issuerKey) {
  X509Ptr certificate(X509_new());
  if (!certificate) return nullptr;
  X509* cert = certificate.get();
  X509_set_version(cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert), serial);
  X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert), 30L * 24 * 3600);
  X509_set_pubkey(cert, key);
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("Quillmere tests"), -1, -1, 0);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
  X509* signer = issuer ? issuer : cert;
  X509_set_issuer_name(cert, X509_get_subject_name(signer));

  bool ok = AddExtension(cert, signer, NID_subject_key_identifier, "hash");
  if (!issuer) {
    ok = ok && AddExtension(cert, signer, NID_basic_constraints, "critical,CA:TRUE");
    ok = ok && AddExtension(cert, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
  } else {
    ok = ok && AddExtension(cert, signer, NID_authority_key_identifier, "keyid");
    ok = ok && AddExtension(cert, signer, NID_basic_constraints, "critical,CA:FALSE");
    ok = ok && AddExtension(cert, signer, NID_key_usage, "critical,digitalSignature");
    ok = ok && AddExtension(cert, signer, NID_ext_key_usage, "serverAuth");
    ok = ok && AddExtension(cert, signer, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
  }
  if (!ok || X509_sign(cert, issuerKey ? issuerKey : key, EVP_sha256()) <= 0) return nullptr;
  return certificate;
}

}  // namespace

TestCertificate::TestCertificate() {
  ok_ = Make();
}

TestCertificate::~TestCertificate() {
  if (!folder_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
}

bool TestCertificate::Make() {
  // Serial numbers differ between objects so two test CAs never look alike to a verifier.
  static long nextSerial = static_cast<long>(getpid()) * 1000;
  caKey_ = NewKey();
  serverKey_ = NewKey();
  if (!caKey_ || !serverKey_) return false;
  caCert_ = NewCertificate(caKey_.get(), "Quillmere test CA", ++nextSerial, nullptr, nullptr);
  if (!caCert_) return false;
  serverCert_ =
      NewCertificate(serverKey_.get(), "127.0.0.1", ++nextSerial, caCert_.get(), caKey_.get());
  if (!serverCert_) return false;

  std::error_code error;
  std::string pattern = (std::filesystem::temp_directory_path(error) / "quillmere-cert-XXXXXX");
  if (error || !mkdtemp(pattern.data())) return false;
  folder_ = pattern;
  caFile_ = folder_ + "/ca.pem";
  std::unique_ptr<FILE, FileCloser> file(std::fopen(caFile_.c_str(), "w"));
  if (!file || PEM_write_X509(file.get(), caCert_.get()) != 1) return false;
  return std::fflush(file.get()) == 0;
}

SslCtxPtr TestCertificate::NewServerContext() const {
  if (!ok_) return nullptr;
  SslCtxPtr context(SSL_CTX_new(TLS_server_method()));
  if (!context) return nullptr;
  if (SSL_CTX_use_certificate(context.get(), serverCert_.get()) != 1 ||
      SSL_CTX_add1_chain_cert(context.get(), caCert_.get()) != 1 ||
      SSL_CTX_use_PrivateKey(context.get(), serverKey_.get()) != 1 ||
      SSL_CTX_check_private_key(context.get()) != 1) {
    return nullptr;
  }
  return context;
}

}  // namespace quillmere::test_support
