// MainFormCompare.cpp - comparing the drawing on show with another file (Ctrl+D).
//
// The other file is read into a buffer of its own, as any load is, on a worker thread;
// a file that cannot be read is reported and leaves everything as it was. The compare
// window takes the buffer over and lists the differences; a row's double-click shows its
// record here. Nothing of the drawing on show changes, so the compare makes no undo step.
#include "logic/document/DocumentLoad.h"
#include "logic/document/MyFileLib.h"
#include "model/text/MyStringLib.h"  // Format
#include "model/text/Sjis.h"
#include "ui/CompareList.h"
#include "ui/MainForm.h"

void TFMMain::CompareWithFile() {
  if (!HasDocument() || m_loading) return m_dialogs.Beep();
  Dialogs::FileRequest request = m_openDialog;
  request.caption = Sjis("比較するDXFﾌｧｲﾙを開く");
  const std::string chosen = RunOpenDialog(m_dialogs, request, Settings.LastPath);
  if (chosen.empty()) return;
  auto other = std::make_unique<TDXFBuffer>();
  if (ReadInBackground(*other, chosen) != 0) {
    MsgBox->AddFmt(Sjis("＜比較＞%s　エラー：%s").c_str(), ProgramTextOfUtf8(chosen).c_str(),
                   other->ErrorMessage.c_str());
    m_dialogs.ShowError(Format(
        Sjis("比較するファイルを読み込めませんでした。別のファイルを選んでください。\n%s").c_str(),
        other->ErrorMessage.c_str()));
    return;
  }
  delete m_compare;
  m_compare = new CompareList(Buffer, std::move(other), m_dialogs, *MsgBox, this);
  connect(m_compare, &CompareList::JumpRequested, this, &TFMMain::JumpToPair);
  MsgBox->AddFmt(Sjis("＜比較＞%s").c_str(), ProgramTextOfUtf8(chosen).c_str());
  m_compare->show();
  m_compare->raise();
}

void TFMMain::MarkCompareStale() {
  if (m_compare) m_compare->MarkStale();
}
