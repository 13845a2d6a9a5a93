// Feeds arbitrary signatures for a fixed manifest to the check under the
// compiled-in key: nothing the fuzzer makes may pass. The first byte picks
// whether the rest is taken as it is or brought to the modulus's length,
// so that most inputs reach the modular arithmetic.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "upgrade/manifest_signature.h"

using namespace upgrade;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string signature(reinterpret_cast<const char*>(data + 1), size - 1);
  if (data[0] & 1) signature.resize(PublisherKey().ModulusSize(), char(data[0]));
  if (VerifyManifestSignature("Version: 1.0.1\n", signature)) std::abort();
  return 0;
}
