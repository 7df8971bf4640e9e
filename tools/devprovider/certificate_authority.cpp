#include "certificate_authority.h"

#include <fcntl.h>
#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace twl::devprovider {
namespace {

using KeyPtr = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using CertPtr = std::unique_ptr<X509, decltype(&X509_free)>;
using BioPtr = std::unique_ptr<BIO, decltype(&BIO_free)>;

constexpr long dayInSeconds = 24L * 60 * 60;

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error("devprovider: cannot " + what);
}

KeyPtr newKey() {
    KeyPtr key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"), &EVP_PKEY_free);
    if (!key) {
        fail("make a key");
    }
    return key;
}

void addExtension(X509* cert, X509V3_CTX& ctx, int nid, const char* value) {
    X509_EXTENSION* ext = X509V3_EXT_nconf_nid(nullptr, &ctx, nid, value);
    if (!ext || !X509_add_ext(cert, ext, -1)) {
        X509_EXTENSION_free(ext);
        fail(std::string("add the certificate extension ") + value);
    }
    X509_EXTENSION_free(ext);
}

void setRandomSerial(X509* cert) {
    std::unique_ptr<BIGNUM, decltype(&BN_free)> serial(BN_new(), &BN_free);
    if (!serial || !BN_rand(serial.get(), 63, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) ||
        !BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(cert))) {
        fail("pick a serial number");
    }
}

// A certificate for `key` named `commonName`, signed by the issuer (itself when
// `issuer` is null).
CertPtr makeCertificate(EVP_PKEY* key, const char* commonName, X509* issuer, EVP_PKEY* issuerKey,
                        long days) {
    CertPtr cert(X509_new(), &X509_free);
    if (!cert || !X509_set_version(cert.get(), 2)) {
        fail("make a certificate");
    }
    setRandomSerial(cert.get());
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -dayInSeconds);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), days * dayInSeconds);
    X509_set_pubkey(cert.get(), key);
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("Tidewaterlink devprovider"),
                               -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    X509_set_issuer_name(cert.get(), issuer ? X509_get_subject_name(issuer) : name);

    X509V3_CTX ctx;
    X509V3_set_ctx(&ctx, issuer ? issuer : cert.get(), cert.get(), nullptr, nullptr, 0);
    addExtension(cert.get(), ctx, NID_subject_key_identifier, "hash");
    if (!issuer) {
        addExtension(cert.get(), ctx, NID_basic_constraints, "critical,CA:TRUE");
        addExtension(cert.get(), ctx, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        addExtension(cert.get(), ctx, NID_authority_key_identifier, "keyid:always");
        addExtension(cert.get(), ctx, NID_basic_constraints, "critical,CA:FALSE");
        addExtension(cert.get(), ctx, NID_key_usage, "critical,digitalSignature");
        addExtension(cert.get(), ctx, NID_ext_key_usage, "serverAuth");
        addExtension(cert.get(), ctx, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
    }
    if (!X509_sign(cert.get(), issuerKey ? issuerKey : key, EVP_sha256())) {
        fail("sign a certificate");
    }
    return cert;
}

std::string pemText(BIO* bio) {
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    return std::string(data, static_cast<std::size_t>(size));
}

// Written whole under a temporary name and renamed, so a reader never sees half a file.
void writeFile(const std::filesystem::path& path, const std::string& text, mode_t mode) {
    const std::filesystem::path temporary = path.string() + ".partial";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) {
        fail("write " + path.string());
    }
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        fail("write " + path.string());
    }
    std::filesystem::rename(temporary, path);
}

void writeCertificate(const std::filesystem::path& path, X509* cert) {
    BioPtr bio(BIO_new(BIO_s_mem()), &BIO_free);
    if (!bio || !PEM_write_bio_X509(bio.get(), cert)) {
        fail("encode a certificate");
    }
    writeFile(path, pemText(bio.get()), 0644);
}

void writeKey(const std::filesystem::path& path, EVP_PKEY* key) {
    BioPtr bio(BIO_new(BIO_s_mem()), &BIO_free);
    if (!bio || !PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr)) {
        fail("encode a key");
    }
    writeFile(path, pemText(bio.get()), 0600);
}

CertPtr readCertificate(const std::filesystem::path& path) {
    BioPtr bio(BIO_new_file(path.c_str(), "r"), &BIO_free);
    CertPtr cert(bio ? PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr) : nullptr,
                 &X509_free);
    if (!cert) {
        fail("read " + path.string());
    }
    return cert;
}

KeyPtr readKey(const std::filesystem::path& path) {
    BioPtr bio(BIO_new_file(path.c_str(), "r"), &BIO_free);
    KeyPtr key(bio ? PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr) : nullptr,
               &EVP_PKEY_free);
    if (!key) {
        fail("read " + path.string());
    }
    return key;
}

}  // namespace

CertificateFiles ensureCertificates(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    CertificateFiles files{folder / "ca.pem", folder / "ca-key.pem", folder / "cert.pem",
                           folder / "key.pem"};
    namespace fs = std::filesystem;

    bool newCa = false;
    if (!fs::exists(files.caCertificate) || !fs::exists(files.caKey)) {
        KeyPtr caKey = newKey();
        CertPtr ca =
            makeCertificate(caKey.get(), "Tidewaterlink devprovider CA", nullptr, nullptr, 3650);
        writeKey(files.caKey, caKey.get());
        writeCertificate(files.caCertificate, ca.get());
        newCa = true;
    }
    if (newCa || !fs::exists(files.certificate) || !fs::exists(files.key)) {
        CertPtr ca = readCertificate(files.caCertificate);
        KeyPtr caKey = readKey(files.caKey);
        KeyPtr key = newKey();
        CertPtr cert = makeCertificate(key.get(), "127.0.0.1", ca.get(), caKey.get(), 825);
        writeKey(files.key, key.get());
        writeCertificate(files.certificate, cert.get());
    }
    return files;
}

}  // namespace twl::devprovider
