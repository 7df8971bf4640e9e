#pragma once

#include <filesystem>

namespace twl::devprovider {

// The TLS files the provider serves with, all in one folder.
struct CertificateFiles {
    std::filesystem::path caCertificate;  // ca.pem: what a client trusts
    std::filesystem::path caKey;          // ca-key.pem
    std::filesystem::path certificate;    // cert.pem: for 127.0.0.1 and localhost
    std::filesystem::path key;            // key.pem
};

// Makes whatever is missing in `folder`: a throwaway CA, and a server
// certificate signed by it. A new CA always gets a new server certificate.
// Keys are written readable by the owner only. Throws std::runtime_error.
CertificateFiles ensureCertificates(const std::filesystem::path& folder);

}  // namespace twl::devprovider
