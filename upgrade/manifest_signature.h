// The check that a version file ("version.dat" on the update server) is the
// one the publisher signed: "version.sig" beside it holds the raw RSA
// signature (PKCS#1 v1.5 over the SHA-256 of the file's exact bytes) that
//   openssl dgst -sha256 -sign publisher.pem -out version.sig version.dat
// writes. The public key is compiled in (see signature.cmake): the
// publisher's for a release, else the throwaway test key. Pure code.
#pragma once
#include <string>

#include "upgrade/rsa_verify.h"

namespace upgrade {

// The PEM text of the compiled-in public key (generated at configure time).
extern const char kPublisherKeyPem[];

// The compiled-in key, read once. Empty only if the compiled-in text is not
// an acceptable key, which the build refuses; then nothing verifies.
const RsaPublicKey& PublisherKey();

// True when signature (the bytes of "version.sig") is the publisher's
// signature of manifest (the exact bytes of "version.dat" as received).
bool VerifyManifestSignature(const std::string& manifest, const std::string& signature);

// The same check under another key (tests, tools).
bool VerifyManifestSignature(const RsaPublicKey& key, const std::string& manifest,
                             const std::string& signature);

}  // namespace upgrade
