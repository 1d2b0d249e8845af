#version 430
// One pass of a stable least-significant-digit radix sort of 32-bit keys
// with 32-bit values, eight bits a pass. Each work group owns a block of
// 256 consecutive elements.
//   Stage 0: the block's count of every digit, stored digit-major
//            (counts[digit * nBlocks + block]), so that the inclusive prefix
//            sum of that array gives every block its place per digit.
//   Stage 1: every element goes to its digit's place for its block plus
//            the number of elements before it in the block with the same
//            digit, which keeps equal digits in their order. The block's
//            digits are packed four to a word, so that one step compares
//            four of them.
// On the first pass the values are the elements' own indices.
layout(local_size_x = 256) in;

layout(std430, binding = 0) readonly buffer KeysIn { uint keysIn[]; };
layout(std430, binding = 1) readonly buffer ValuesIn { uint valuesIn[]; };
layout(std430, binding = 2) writeonly buffer KeysOut { uint keysOut[]; };
layout(std430, binding = 3) writeonly buffer ValuesOut { uint valuesOut[]; };
layout(std430, binding = 4) buffer Counts { uint counts[]; };  // stage 0 writes, stage 1 reads the sums

uniform uint nElements;
uniform uint nBlocks;
uniform uint Stage;
uniform uint Shift;
uniform uint FirstPass;
uniform uint InvocationOffset;

shared uint blockCounts[256];
shared uint packedDigits[64];

// The number of zero bytes in x.
uint zeroBytes(uint x) {
  uint nonZero = ((x & 0x7F7F7F7Fu) + 0x7F7F7F7Fu) | x;  // high bit of each nonzero byte
  return bitCount(~nonZero & 0x80808080u);
}

void main() {
  uint element = InvocationOffset + gl_GlobalInvocationID.x;
  uint block = element / 256u;
  uint local = gl_LocalInvocationID.x;
  bool present = element < nElements;
  uint key = present ? keysIn[element] : 0u;
  uint digit = present ? (key >> Shift) & 0xFFu : 0u;

  if (Stage == 0u) {
    blockCounts[local] = 0u;
    barrier();
    if (present) atomicAdd(blockCounts[digit], 1u);
    barrier();
    if (block < nBlocks) counts[local * nBlocks + block] = blockCounts[local];
    return;
  }

  // Elements past the end come last in their block: they never count.
  if (local < 64u) packedDigits[local] = 0u;
  barrier();
  atomicOr(packedDigits[local / 4u], digit << (8u * (local % 4u)));
  barrier();
  if (!present) return;
  uint rank = 0u;
  uint spread = digit * 0x01010101u;
  for (uint w = 0u; w < local / 4u; ++w) rank += zeroBytes(packedDigits[w] ^ spread);
  uint last = packedDigits[local / 4u] ^ spread;
  for (uint b = 0u; b < local % 4u; ++b) rank += ((last >> (8u * b)) & 0xFFu) == 0u ? 1u : 0u;
  uint slot = digit * nBlocks + block;
  uint place = (slot == 0u ? 0u : counts[slot - 1u]) + rank;
  keysOut[place] = key;
  valuesOut[place] = FirstPass != 0u ? element : valuesIn[element];
}
