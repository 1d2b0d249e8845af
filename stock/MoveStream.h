#pragma once
// Move records on the GPU, sent once, with the host's copy that sizes the
// work of each cut. The toolpath of a view becomes one stream that every
// stock cuts from; a record k ends the move that starts at record k - 1.
#include <cstdint>
#include <span>

#include "gpu/SSBO.h"
#include "toolpath/GPUMoveRecord.h"

namespace stock {

class MoveStream {
 public:
  // Render thread: sends the records. They must outlive the stream.
  explicit MoveStream(std::span<const toolpath::GPUMoveRecord> records);

  // Render thread: sends the records again, after they changed.
  void resend();

  std::span<const toolpath::GPUMoveRecord> records() const { return records_; }
  size_t size() const { return records_.size(); }
  const gpu::SSBO& buffer() const { return buffer_; }

 private:
  std::span<const toolpath::GPUMoveRecord> records_;
  gpu::SSBO buffer_;
};

}  // namespace stock
