// ValueArena.cpp - the slow paths of the edited-value arena: new chunks, adopting and
// clearing.
#include "model/buffer/ValueArena.h"

#include <new>  // std::bad_alloc

ValueArena::Ref ValueArena::AppendToNewChunk(std::string_view text, std::uint64_t tag) {
  const std::size_t size = RecordSize(text.size());
  if (m_chunks.size() >= kMaxChunks) throw std::bad_alloc();
  const bool ownChunk = size > kOwnChunkFrom;
  m_chunks.reserve(m_chunks.size() + 1);  // so that the pushes below cannot throw
  m_ends.reserve(m_ends.size() + 1);
  // Not value-initialised: pages of a chunk are touched only when values reach them.
  std::unique_ptr<char[]> chunk(new char[ownChunk ? size : kChunkBytes]);
  CloseCurrentChunk();
  char* at = chunk.get();
  const Ref ref = Ref{m_chunks.size()} << kOffsetBits;
  WriteRecord(at, text, tag);  // text may lie in an earlier chunk, which stays put
  m_chunks.push_back(std::move(chunk));
  m_ends.push_back(size);
  m_usedBytes += size;
  if (!ownChunk) {
    m_at = at + size;
    m_room = kChunkBytes - size;
    m_atRef = ref + size;
  }
  return ref;
}

void ValueArena::CloseCurrentChunk() noexcept {
  if (m_at != nullptr) m_ends.back() = static_cast<std::size_t>(m_at - m_chunks.back().get());
  m_at = nullptr;
  m_room = 0;
}

ValueArena::Ref ValueArena::Adopt(ValueArena& other) {
  const std::size_t total = m_chunks.size() + other.m_chunks.size();
  if (total > kMaxChunks) throw std::bad_alloc();
  m_chunks.reserve(total);  // so that the moves below cannot throw
  m_ends.reserve(total);
  const Ref shift = Ref{m_chunks.size()} << kOffsetBits;
  CloseCurrentChunk();
  other.CloseCurrentChunk();
  for (std::unique_ptr<char[]>& chunk : other.m_chunks) m_chunks.push_back(std::move(chunk));
  m_ends.insert(m_ends.end(), other.m_ends.begin(), other.m_ends.end());
  m_usedBytes += other.m_usedBytes;
  m_deadBytes += other.m_deadBytes;
  other.Clear();
  return shift;
}

void ValueArena::Clear() noexcept {
  m_chunks.clear();
  m_ends.clear();
  m_at = nullptr;
  m_room = 0;
  m_atRef = 0;
  m_usedBytes = 0;
  m_deadBytes = 0;
}
