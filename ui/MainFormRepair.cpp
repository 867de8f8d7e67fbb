// MainFormRepair.cpp - "図面の修復" (editor edition): the check, the question, the repair.
//
// The repair is planned on the drawing as it stands, the handle index made ready first;
// after "はい" the document carries it out as one undo step and the views follow it as
// after any change. What cannot be repaired goes to the message panel all the same.
#include "logic/check/DrawingCheck.h"
#include "logic/repair/DrawingRepair.h"
#include "model/text/Sjis.h"
#include "ui/BusyCursor.h"
#include "ui/MainForm.h"

void TFMMain::RepairDrawing() {
  if (!HasDocument() || m_loading) return m_dialogs.Beep();
  EndCellEdits();
  const BusyCursor busy;
  const HandleIndex& handles = ReadyHandleIndex();
  RepairPlan plan = PlanRepair(Doc().Buffer(), handles, CheckDrawing(Doc().Buffer(), handles));
  if (plan.repaired.empty()) {
    const ChangeReport nothing = Drawing().Repair(std::move(plan));
    MsgBox->AddLines(nothing.log);
    m_dialogs.ShowMessage(Sjis("修復できる問題はありません"));
    return;
  }
  if (!m_dialogs.AskYesNo(Sjis("図面の修復"), RepairQuestion(plan))) return;
  const ChangeReport repaired = Drawing().Repair(std::move(plan));
  if (!repaired.Ok()) return m_dialogs.ShowError(repaired.error.message);
  ApplyChange(repaired);
}
