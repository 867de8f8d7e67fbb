// MainFormFiles.cpp - the main window's files: open, drop, command line, load and save.
//
// Every load ends in LoadDocument, which reads the file into a second buffer on a worker
// thread. Meanwhile the GUI thread keeps painting under a busy cursor, shows a progress
// dialog once the read takes longer than a second, and drops all user input, so nothing
// else touches a buffer during the load.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>
#include <QTimer>

#include "logic/acad/AcadSequences.h"
#include "logic/document/DocumentLoad.h"
#include "logic/document/MyFileLib.h"
#include "model/text/Sjis.h"
#include "model/text/TextCodec.h"
#include "ui/MainForm.h"
#include "ui/QtText.h"

namespace {

constexpr int kProgressDelayMs = 1000;  // a read shorter than this shows only the busy cursor

// Drops every user input event while it is installed on the application.
class InputBlocker : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::DragEnter:
      case QEvent::DragMove:
      case QEvent::Drop:
      case QEvent::Close:
        return true;
      default:
        return false;
    }
  }
};

// The state of a load in progress: busy cursor, blocked input and the loading flag,
// all undone when it goes out of scope.
class LoadingScope {
 public:
  explicit LoadingScope(bool& loading) : m_loading(loading) {
    m_loading = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    qApp->installEventFilter(&m_blocker);
  }
  ~LoadingScope() {
    qApp->removeEventFilter(&m_blocker);
    QApplication::restoreOverrideCursor();
    m_loading = false;
  }
  LoadingScope(const LoadingScope&) = delete;
  LoadingScope& operator=(const LoadingScope&) = delete;

 private:
  bool& m_loading;
  InputBlocker m_blocker;
};

}  // namespace

void TFMMain::LoadCommandLineFile() {
  if (m_arguments.empty()) return;
  if (LoadDxfFile(m_arguments.front())) Settings.LastPath = m_arguments.front();
}

void TFMMain::BTOpenClick() {
  if (!ConfirmDiscardChanges()) return;
  const std::string chosen = RunOpenDialog(m_dialogs, m_openDialog, Settings.LastPath);
  if (chosen.empty()) return;
  Settings.LastPath = chosen;
  LoadDocument(chosen);
}

// The open button's right-click menu: the files last opened, newest first.
void TFMMain::ShowRecentFiles(QPoint pos) {
  QMenu menu(this);
  for (const std::string& path : Settings.RecentFiles)
    menu.addAction(FromNativePath(path), this, [this, path] { OpenRecentFile(path); });
  if (menu.isEmpty())
    menu.addAction(FromCp932(Sjis("最近開いたファイルはありません")))->setEnabled(false);
  menu.exec(BTOpen->mapToGlobal(pos));
}

void TFMMain::OpenRecentFile(const std::string& path) {
  if (!ConfirmDiscardChanges()) return;
  Settings.LastPath = path;
  LoadDocument(path);
}

void TFMMain::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

// The drop is finished at once and handled afterwards, so the program that dragged the
// file is not kept waiting through the load.
void TFMMain::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls())
    paths.push_back(ToNativePath(url.toLocalFile()));
  event->acceptProposedAction();
  QTimer::singleShot(0, this, [this, paths] { DropFiles(paths); });
}

void TFMMain::DropFiles(const std::vector<std::string>& paths) {
  const DropAction action = ClassifyDrop(paths);
  if (action.kind == DropAction::Kind::Ignore) return;
  raise();
  activateWindow();
  if (action.kind == DropAction::Kind::NotDxf) {
    m_dialogs.ShowMessage(Sjis("DXFファイルではありません。"));
    return;
  }
  if (!ConfirmDiscardChanges()) return;
  Settings.LastPath = action.path;
  LoadDocument(action.path);
}

bool TFMMain::LoadDxfFile(const std::string& path) {
  return ConfirmDiscardChanges() && LoadDocument(path);
}

bool TFMMain::LoadDocument(const std::string& path) {
  MsgBox->Add("");
  MsgBox->AddFmt(Sjis("＜開く＞%s").c_str(), ProgramTextOfUtf8(path).c_str());
  // The label names the file being read, and again the document on show when it fails;
  // the panel's lines say which file failed.
  const QString shown = LBDXFData->text();
  LBDXFData->setText(QStringLiteral(" ") + FromNativePath(path));
  PCSGData->setCurrentWidget(TSDXFData);
  TDXFBuffer loaded;
  const bool indexing = m_handleTimer->isActive();
  m_handleTimer->stop();  // the worker has the cores; the index's build waits
  if (const Error failed = ReadInBackground(loaded, path)) {
    if (indexing) m_handleTimer->start(0);
    LBDXFData->setText(shown);
    MsgBox->AddFmt(Sjis("　エラー：%s").c_str(), failed.message.c_str());
    if (loaded.ErrorLine > 0)
      MsgBox->AddFmt(Sjis("　ファイルの %lld 行目").c_str(), loaded.ErrorLine);
    m_dialogs.ShowError(failed.message);
    return false;
  }
  ShowLoadedDocument(Drawing().Adopt(std::move(loaded)));
  // AutoCAD's export is rewritten by every read from AutoCAD: it is no file to come back to.
  if (path != AcadTempPath(m_executablePath)) RememberRecentFile(Settings.RecentFiles, path);
  return true;
}

Error TFMMain::ReadInBackground(TDXFBuffer& loaded, const std::string& path) {
  const LoadingScope loading(m_loading);
  Error result;
  QEventLoop waiting;
  QThread* worker = QThread::create([&] { result = Document::Read(loaded, path); });
  connect(worker, &QThread::finished, &waiting, &QEventLoop::quit);
  std::unique_ptr<QProgressDialog> progress;
  QTimer delay;
  delay.setSingleShot(true);
  connect(&delay, &QTimer::timeout, this, [&] {
    progress = ShowProgress(FromCp932(Sjis("読み込んでいます: ")) + FromNativePath(path), QString(),
                            /*maximum=*/0);
  });
  delay.start(kProgressDelayMs);
  worker->start();
  waiting.exec();
  worker->wait();
  delete worker;
  return result;
}

void TFMMain::ShowLoadedDocument(const ChangeReport& loaded) {
  FRDXFGrid->SetDocument(&Drawing());
  FRDXFGrid->ScrollToLine(0);
  FRDXFGrid->SetRow(1);
  FRDXFGrid->SetCol(kValueColumn);
  FRDXFGrid->DXFGrid->setFocus();
  FillSectionList();
  SyncSectionList(0);
  ResetListFlags();
  BTSave->setEnabled(true);
  BTFind->setEnabled(true);
  UpdateEncodingLabel();
  UpdateCaption();
  m_history.Clear();
  if (loaded.handles) m_handleTimer->start(0);
  for (const std::string& notice : loaded.notices) MsgBox->Add(notice);
  MarkCompareStale();
  FRDrawing->DocumentLoaded();
}

void TFMMain::BTSaveClick() {
  SaveDocument();
}

// The dialog proposes the document's own file (the folder last used when it has none)
// and asks before it overwrites another file. The type list picks the form, text or
// binary; it starts at the document's.
bool TFMMain::SaveDocument() {
  if (!AgreeToLoseCutText()) return false;
  m_saveDialog.initialFolder = FolderPart(HasOwnFile() ? Doc().Path() : Settings.LastPath);
  m_saveDialog.fileName = FileNamePart(HasOwnFile() ? Doc().Path() : Doc().Buffer().FileName);
  m_saveDialog.filterIndex = SaveFilterOfForm(Doc().Buffer().SaveForm);
  const std::string chosen =
      RunSaveDialog(m_dialogs, m_saveDialog, Doc().Path(), Values.ProductTitle);
  if (chosen.empty()) return false;
  return SaveDrawingAs(chosen, FormOfSaveFilter(m_saveDialog.filterIndex));
}

void TFMMain::SaveToOwnFile() {
  EndCellEdits();
  if (!HasOwnFile()) {
    SaveDocument();
    return;
  }
  if (AgreeToLoseCutText()) SaveDrawingAs(Doc().Path(), std::nullopt);
}

// A file read from AutoCAD is its export, rewritten by the next read: no file of the user's.
bool TFMMain::HasOwnFile() const {
  return !Doc().Path().empty() && Doc().Path() != AcadTempPath(m_executablePath);
}

// A document cut short by a NUL byte is saved only when the user agrees to lose the rest
// of its file.
bool TFMMain::AgreeToLoseCutText() {
  const std::string loss = Doc().SaveLossQuestion();
  return loss.empty() || m_dialogs.AskYesNo(Values.ProductTitle, loss);
}

// A failed save keeps the document and its form; the panel keeps the message's lines.
bool TFMMain::SaveDrawingAs(const std::string& path, std::optional<DXFForm> form) {
  const ChangeReport saved = Drawing().SaveAs(path, Settings.NormaliseOnSave, form);
  if (!saved.Ok()) {
    MsgBox->Add("");
    MsgBox->AddLines(SplitMessageLines(saved.error.message));
    m_dialogs.ShowMessage(saved.error.message);
    return false;
  }
  UpdateEncodingLabel();
  Settings.LastPath = Doc().Path();
  LBDXFData->setText(QStringLiteral(" DXF \"") + FromNativePath(Doc().Path()) +
                     QStringLiteral("\""));
  MsgBox->AddLines(saved.log);
  UpdateCaption();
  return true;
}

// Ends the open cell edits, then asks about unsaved edits: Yes saves (a cancelled or failed
// save keeps the document), No discards them, Cancel keeps everything as it is.
bool TFMMain::ConfirmDiscardChanges() {
  EndCellEdits();
  if (!IsModified()) return true;
  switch (m_dialogs.AskYesNoCancel(Values.ProductTitle, Sjis("変更を保存しますか？"))) {
    case Dialogs::Answer::Yes:
      return SaveDocument();
    case Dialogs::Answer::No:
      return true;
    case Dialogs::Answer::Cancel:
      return false;
  }
  return false;
}
