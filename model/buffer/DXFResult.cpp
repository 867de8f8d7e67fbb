// DXFResult.cpp - the messages of loads and saves.
#include "model/buffer/DXFResult.h"

#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"

std::string LoadMessage(LoadResult result, const std::string& fileName, std::size_t line) {
  switch (result) {
    case LoadResult::Ok:
      return {};
    case LoadResult::Missing:
      return Sjis(fileName) + Sjis("ファイルが見つかりません");
    case LoadResult::Folder:
      return Sjis(fileName) + Sjis("はフォルダです。DXFファイルを選んでください");
    case LoadResult::NotRegularFile:
      return Sjis(fileName) +
             Sjis("は通常のファイルではありません（デバイスやパイプは読み込めません）");
    case LoadResult::NoPermission:
      return Sjis(fileName) + Sjis("ファイルを読む権限がありません");
    case LoadResult::LinkLoop:
      return Sjis(fileName) + Sjis("のシンボリックリンクが多すぎます（循環していませんか？）");
    case LoadResult::Unreadable:
      return Sjis(fileName) + Sjis("ファイルが開けません。他で開かれていませんか？");
    case LoadResult::Broken:
      return Sjis("ＤＸＦファイルが壊れています。") + "\r\v" + std::to_string(line) + Sjis("行");
    case LoadResult::BadSentinel:
      return Sjis("バイナリDXFファイルの先頭（AutoCAD Binary DXF）が壊れています");
    case LoadResult::BinaryCut:
      return Sjis("バイナリDXFファイルが途中で切れています。") + "\r\v" + std::to_string(line + 1) +
             Sjis("行");
    case LoadResult::Utf16:
      return Sjis("UTF-16 のファイルには対応していません");
    case LoadResult::OutOfMemory:
      return Sjis("メモリが足りません");
  }
  return {};
}

std::string SaveMessage(SaveResult result, const std::string& fileName, WriteFault fault) {
  switch (result) {
    case SaveResult::Ok:
      return {};
    case SaveResult::Unwritable:
      return Sjis(fileName) + Sjis("ファイルが書き込み出来ません。") + "\r\n" +
             WriteFaultReason(fault);
    case SaveResult::Unencodable:
      return {};
  }
  return {};
}

std::string WriteFaultReason(WriteFault fault) {
  switch (fault) {
    case WriteFault::None:
      return {};
    case WriteFault::NoPermission:
      return Sjis(
          "書き込む権限がありません。フォルダとファイルの権限を確かめるか、別の場所に保存してくださ"
          "い。");
    case WriteFault::ReadOnly:
      return Sjis(
          "ファイルまたはディスクが読み取り専用です。読み取り専用を外すか、別の名前で保存してくださ"
          "い。");
    case WriteFault::DiskFull:
      return Sjis("ディスクの空きが足りません。空きを作るか、別のドライブに保存してください。");
    case WriteFault::TooLarge:
      return Sjis(
          "ファイルが大きすぎて、この保存先には書き込めません。別のドライブに保存してください。");
    case WriteFault::FolderMissing:
      return Sjis("保存先のフォルダがありません。フォルダを作るか、別の場所に保存してください。");
    case WriteFault::InUse:
      return Sjis("ファイルが他のプログラムで開かれています。そちらで閉じてから保存してください。");
    case WriteFault::Other:
      return Sjis("システムが書き込みを断りました。別の場所に保存してみてください。");
  }
  return {};
}

std::string UnwritablePairMessage(long long line, int code, const std::string& value,
                                  const std::string& reason) {
  static const std::string kFormat =
      Sjis("%lld 行：グループコード %d の値 '%s' は%s。値を直してから保存してください");
  return Format(kFormat.c_str(), line, code, value.c_str(), reason.c_str());
}

std::string TruncatedTextMessage(long long line) {
  static const std::string kFormat = Sjis("NUL文字があるため %lld行目までしか読み込んでいません");
  return Format(kFormat.c_str(), line);
}

std::string TruncatedSaveQuestion(long long line) {
  static const std::string kFormat =
      Sjis("NUL文字があるため %lld行目から後は保存されません。このまま保存しますか？");
  return Format(kFormat.c_str(), line);
}

std::string IgnoredAfterEofMessage(long long lines) {
  static const std::string kFormat = Sjis("EOFより後の%lld行は図面の一部ではないので無視しました");
  return Format(kFormat.c_str(), lines);
}
