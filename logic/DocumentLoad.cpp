// DocumentLoad.cpp - loading a file beside the document on show, and taking it over.
#include "logic/DocumentLoad.h"

#include <new>  // std::bad_alloc

#include "model/DXFResult.h"

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
