// DocumentLoad.cpp - loading a file beside the document on show, and taking it over.
#include "logic/document/DocumentLoad.h"

#include <new>  // std::bad_alloc

#include "model/buffer/DXFResult.h"

int ReadDocument(TDXFBuffer& loaded, const std::string& path) noexcept {
  try {
    return loaded.LoadFromFile(path);
  } catch (const std::bad_alloc&) {
    // The buffer's arrays are allocated without throwing; the index around them is not.
    loaded.ErrorCode = ResultCode(LoadResult::OutOfMemory);
    loaded.ErrorMessage = LoadMessage(LoadResult::OutOfMemory, path);
    loaded.PairCount = 0;
    return loaded.ErrorCode;
  }
}

void AdoptDocument(TDXFBuffer& shown, TDXFBuffer&& loaded) {
  loaded.OnMessage = std::move(shown.OnMessage);
  loaded.NoteEnabled = shown.NoteEnabled;
  loaded.Counter = shown.Counter;
  loaded.SetObserver(shown.Observer());
  shown = std::move(loaded);
}

std::vector<std::string> LoadNotices(const TDXFBuffer& loaded) {
  std::vector<std::string> lines;
  if (loaded.TruncatedAtLine > 0) lines.push_back(TruncatedTextMessage(loaded.TruncatedAtLine));
  if (loaded.IgnoredLinesAfterEof > 0)
    lines.push_back(IgnoredAfterEofMessage(loaded.IgnoredLinesAfterEof));
  return lines;
}

std::string SaveLossQuestion(const TDXFBuffer& shown) {
  if (shown.TruncatedAtLine == 0) return {};
  return TruncatedSaveQuestion(shown.TruncatedAtLine);
}
