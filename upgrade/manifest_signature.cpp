#include "upgrade/manifest_signature.h"

#include "upgrade/public_key_file.h"

namespace upgrade {

const RsaPublicKey& PublisherKey() {
  static const RsaPublicKey key = [] {
    RsaPublicKey parsed;
    ParsePublicKeyPem(kPublisherKeyPem, parsed);
    return parsed;
  }();
  return key;
}

bool VerifyManifestSignature(const std::string& manifest, const std::string& signature) {
  return VerifyManifestSignature(PublisherKey(), manifest, signature);
}

bool VerifyManifestSignature(const RsaPublicKey& key, const std::string& manifest,
                             const std::string& signature) {
  return VerifyRsaSha256(key, HashSha256(manifest),
                         reinterpret_cast<const uint8_t*>(signature.data()), signature.size());
}

}  // namespace upgrade
