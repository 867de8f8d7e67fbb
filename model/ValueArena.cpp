// ValueArena.cpp - the slow paths of the edited-value arena: new chunks and clearing.
#include "model/ValueArena.h"

#include <new>  // std::bad_alloc

ValueArena::Ref ValueArena::AppendToNewChunk(std::string_view text) {
  const std::size_t size = RecordSize(text.size());
  if (m_chunks.size() >= kMaxChunks) throw std::bad_alloc();
  const bool ownChunk = size > kOwnChunkFrom;
  m_chunks.reserve(m_chunks.size() + 1);  // so that the push below cannot throw
  // Not value-initialised: pages of a chunk are touched only when values reach them.
  std::unique_ptr<char[]> chunk(new char[ownChunk ? size : kChunkBytes]);
  char* at = chunk.get();
  const Ref ref = Ref{m_chunks.size()} << kOffsetBits;
  WriteRecord(at, text);
  m_chunks.push_back(std::move(chunk));
  m_usedBytes += size;
  if (!ownChunk) {
    m_at = at + size;
    m_room = kChunkBytes - size;
    m_atRef = ref + size;
  }
  return ref;
}

void ValueArena::Clear() noexcept {
  m_chunks.clear();
  m_at = nullptr;
  m_room = 0;
  m_atRef = 0;
  m_usedBytes = 0;
  m_deadBytes = 0;
}

ValueArena::Ref ValueArena::Adopt(ValueArena& other) {
  if (m_chunks.size() + other.m_chunks.size() > kMaxChunks) throw std::bad_alloc();
  const Ref shift = Ref{m_chunks.size()} << kOffsetBits;
  // The chunk that takes this arena's next values stays current: other's last chunk may
  // have room left, which simply goes unused.
  m_chunks.reserve(m_chunks.size() + other.m_chunks.size());
  for (std::unique_ptr<char[]>& chunk : other.m_chunks) m_chunks.push_back(std::move(chunk));
  m_usedBytes += other.m_usedBytes;
  m_deadBytes += other.m_deadBytes;
  other.Clear();
  return shift;
}
