// MainFormPurge.cpp - "未使用の削除" (editor edition): the list, then the purge.
//
// The list is worked out on the drawing as it stands, the handle index made ready first;
// the window over the main window lists it (PurgeDialog) and, on "削除", the document
// takes the chosen definitions out as one undo step, which the views follow as after any
// change. The window is modal to the main window, so the drawing cannot change under it.
#include "logic/purge/UnusedDefinitions.h"
#include "model/text/Sjis.h"
#include "ui/MainForm.h"
#include "ui/PurgeDialog.h"

void TFMMain::PurgeUnused() {
  if (!HasDocument() || m_loading) return m_dialogs.Beep();
  EndCellEdits();
  PurgeList list = FindUnusedDefinitions(Doc().Buffer(), ReadyHandleIndex());
  if (list.Entries().empty()) {
    MsgBox->AddLines({"", Sjis("＜未使用の削除＞"), Sjis("未使用の定義はありません")});
    m_dialogs.ShowMessage(Sjis("未使用の定義はありません"));
    return;
  }
  delete m_purge;
  m_purge = new PurgeDialog(Doc().Buffer(), std::move(list), this);
  m_purge->setAttribute(Qt::WA_DeleteOnClose);
  m_purge->setWindowModality(Qt::WindowModal);
  connect(m_purge, &PurgeDialog::PurgeRequested, this, &TFMMain::PurgeChosen);
  connect(m_purge, &PurgeDialog::JumpRequested, this, &TFMMain::JumpToPair);
  m_purge->show();
  m_purge->raise();
}

// The window goes once the document has the list's entries out; it is closed, not
// deleted, since its button's click is still being handled.
void TFMMain::PurgeChosen(const std::vector<bool>& chosen) {
  const ChangeReport purged = Drawing().Purge(m_purge->List(), chosen);
  m_purge->close();
  if (!purged.Ok()) {
    if (!purged.error.message.empty()) m_dialogs.ShowError(purged.error.message);
    return;
  }
  ApplyChange(purged);
}
