// Parses the header of arbitrary bytes and walks and wraps every frame, as
// the picture control does with a file it loads.
#include "widgets/gif_blocks.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gif::Header header;
  if (!gif::ParseHeader(data, size, &header)) return 0;
  size_t offset = header.firstBlock;
  gif::Frame frame;
  size_t count = 0;
  while (gif::NextFrame(data, size, &offset, &frame)) {
    if (frame.offset + frame.length > size || offset > size) std::abort();
    const auto wrapped = gif::WrapFrame(data, size, header, frame);
    if (wrapped.size() != header.firstBlock + frame.length + 1) std::abort();
    // The wrapped file holds exactly the one frame.
    if (gif::CountFrames(wrapped.data(), wrapped.size(), header) != 1) std::abort();
    (void)gif::FrameWaitMs(frame.delay);
    ++count;
  }
  if (count != gif::CountFrames(data, size, header)) std::abort();
  return 0;
}
