// NameListTab.cpp - the in-place rename of the layer, linetype and block lists.
#include "ui/tabs/NameListTab.h"

#include <QKeyEvent>

#include "ui/QtText.h"
#include "ui/tabs/ListTab_p.h"

NameListTab::NameListTab(NameKind kind, Document& document, Dialogs& dialogs,
                         const ProgramValues& values, QWidget* parent)
    : ListTab(document, dialogs, parent), m_drawing(document), m_values(values), m_edit(kind) {}

// The names are edited in place in the editor edition only.
void NameListTab::HookNameEdit(StringGrid& grid) {
  m_grid = &grid;
  grid.OnSelectCell = [this](int col, int) {
    m_grid->SetEditing(NameEditState::IsEditable(col, m_values.Edition));
    return true;
  };
  grid.OnGetEditText = [this](int col, int row) {
    m_edit.Begin(col, row, ToCp932(m_grid->Cell(col, row)));
    return m_grid->Cell(col, row);
  };
  grid.OnSetEditText = [this](int col, int, const QString& text) {
    NameListSetEditText(col, text);
  };
  grid.OnKeyDown = [this](const QKeyEvent& event) {
    return event.key() == Qt::Key_Escape && CancelNameEdit();
  };
}

void NameListTab::ShowNameList(const Result<ListContent>& built) {
  if (!built.Ok()) {
    MarkFilled();
    return ShowIncompleteList(*m_grid, built.error());
  }
  const ListContent& content = built.value();
  if (content.filled) MarkFilled();
  m_names = content.names;
  ShowRows(*m_grid, content.rows);
}

// Esc gives the cell its name back and ends the edit without a question.
bool NameListTab::CancelNameEdit() {
  if (!m_grid->EditorMode()) return false;
  m_grid->CancelEditor();
  m_grid->SetCell(m_edit.EditCol, m_edit.EditRow, FromCp932(m_edit.OldName));
  m_edit.NewName = m_edit.OldName;
  return true;
}

// Runs the name edit protocol on an editor report. The drawing changes only when a
// confirmed new name can be taken; the document then seals the replacement and the
// window has every view follow.
void NameListTab::NameListSetEditText(int col, const QString& text) {
  // A name shown unchanged stays the text it began as, even where the display lost some.
  const std::string typed = text == FromCp932(m_edit.OldName) ? m_edit.OldName : ToCp932(text);
  if (m_edit.Report(col, typed) != NameEditStep::Confirm) return;
  // A name that cannot be taken is refused before the question: only a rename that can
  // be done is asked about.
  const std::vector<std::string> refusals = m_edit.Refusals(m_names, Doc().Buffer());
  const bool yes =
      refusals.empty() && Messages().AskYesNo(m_values.ProductTitle, m_edit.Question());
  const RenameReport renamed = m_drawing.Rename(m_edit, yes, m_names);
  for (const std::string& refusal : refusals) Messages().ShowMessage(refusal);
  const NameEditResult& result = renamed.edit;
  for (const std::string& refusal : result.refusals) Messages().ShowMessage(refusal);
  m_grid->SetCell(result.col, result.row, FromCp932(result.text));
  if (result.replaced) {
    const std::size_t k = static_cast<std::size_t>(result.row - 1);
    if (k < m_names.size()) m_names[k] = result.storedName;
    UpdateLabels();
  }
  emit Renamed(renamed);
}
