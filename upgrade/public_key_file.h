// Reads an RSA public key from the files openssl writes for it: a PEM
// "PUBLIC KEY" block holding a DER SubjectPublicKeyInfo. Only what a
// publisher's key may be is accepted: rsaEncryption with NULL parameters,
// a positive modulus of kMinRsaModulusBits to kMaxRsaModulusBits bits and the
// exponent 65537, in strict DER (minimal lengths and integers, nothing after
// the structure). Pure code: no <windows.h>.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "upgrade/rsa_verify.h"

namespace upgrade {

// The SubjectPublicKeyInfo's DER bytes; false (key left empty) on anything else.
bool ParsePublicKeyDer(const uint8_t* der, size_t size, RsaPublicKey& key);

// The first "-----BEGIN PUBLIC KEY-----" ... "-----END PUBLIC KEY-----" block
// of text (other text around it is ignored; LF or CRLF line ends). The
// base64 between must be canonical: blanks and line ends anywhere, padding
// only at the end. False (key left empty) otherwise.
bool ParsePublicKeyPem(const std::string& text, RsaPublicKey& key);

}  // namespace upgrade
