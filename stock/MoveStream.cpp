#include "stock/MoveStream.h"

#include <algorithm>

namespace stock {

MoveStream::MoveStream(std::span<const toolpath::GPUMoveRecord> records)
    : records_(records), buffer_(std::max<uint64_t>(records.size_bytes(), 16)) {
  buffer_.upload(records.data(), records.size_bytes());
}

void MoveStream::resend() { buffer_.upload(records_.data(), records_.size_bytes()); }

}  // namespace stock
