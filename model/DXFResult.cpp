// DXFResult.cpp - the messages of failed loads and saves.
#include "model/DXFResult.h"

#include "model/Sjis.h"

std::string LoadMessage(LoadResult result, const std::string& fileName, std::size_t line) {
  switch (result) {
    case LoadResult::Ok:
      return {};
    case LoadResult::Missing:
      return Sjis(fileName) + Sjis("ファイルが見つかりません");
    case LoadResult::Unreadable:
      return Sjis(fileName) + Sjis("ファイルが開けません。他で開かれていませんか？");
    case LoadResult::Broken:
      return Sjis("ＤＸＦファイルが壊れています。") + "\r\v" + std::to_string(line) + Sjis("行");
    case LoadResult::OutOfMemory:
      return Sjis("メモリが足りません");
  }
  return {};
}

std::string SaveMessage(SaveResult result, const std::string& fileName) {
  switch (result) {
    case SaveResult::Ok:
      return {};
    case SaveResult::Unwritable:
      return Sjis(fileName) + Sjis("ファイルが書き込み出来ません。");
  }
  return {};
}
