// Decodes arbitrary bytes as the sectors and replies a drive returns (an
// attribute sector, a threshold sector, an identify sector, a geometry reply
// and a version reply, in that order, zero-padded) and checks what the
// dialogs would be shown.
#include <cstdlib>
#include <cstring>

#include "health/smart_data.h"

using namespace smart;

namespace {

template <class Array>
size_t Take(const uint8_t*& data, size_t& size, Array& out) {
  const size_t n = size < out.size() ? size : out.size();
  if (n) std::memcpy(out.data(), data, n);
  data += n;
  size -= n;
  return n;
}

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Sector values = {}, thresholds = {}, identify = {};
  GeometryReply geometry = {};
  VersionReply version = {};
  Take(data, size, values);
  Take(data, size, thresholds);
  Take(data, size, identify);
  Take(data, size, geometry);
  Take(data, size, version);

  const std::vector<AttributeRow> rows = AttributeRows(values, thresholds);
  size_t used = 0;
  std::optional<int> lastTemperature;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const uint8_t id = values[2 + 12 * slot];
    if (id == 0) continue;
    if (used >= rows.size()) std::abort();
    const AttributeRow& row = rows[used++];
    if (row.id != std::to_string(id)) std::abort();
    if (row.verdict != "OK" && row.verdict != "Failed") std::abort();
    if (row.failed != (row.verdict == "Failed")) std::abort();
    if (row.raw.size() != 18 || row.raw.back() != ' ') std::abort();
    if (id == 194) lastTemperature = values[2 + 12 * slot + 5];
  }
  if (used != rows.size()) std::abort();
  if (SmartTemperature(values) != lastTemperature) std::abort();

  const std::string model = ModelFromIdentify(identify);
  if (model.size() > 40 || model.find('\0') != std::string::npos) std::abort();
  if (!model.empty() && (IsBlank(model.front()) || IsBlank(model.back()))) std::abort();

  const std::string sizeText = SizeTextFromGeometry(geometry);
  if (sizeText.size() < 3 || sizeText.compare(sizeText.size() - 2, 2, "GB") != 0) std::abort();
  const std::string caption = DriveCaption(model, sizeText);
  if (caption != model + " (" + sizeText + ")") std::abort();

  for (int drive = 0; drive < kDriveCount; ++drive) {
    const CommandBlock block = BuildCommandBlock(IdentifyCommandFor(version, drive), drive);
    if (block[12] != drive || (block[10] != 0xEC && block[10] != 0xA1)) std::abort();
  }
  return 0;
}
