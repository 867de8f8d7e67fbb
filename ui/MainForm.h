// MainForm.h - the main window: command column, DXF grid, list tabs and message panel.
//
// TFMMain shows one Document for the whole run and hangs everything off it: opening
// (dialog, drop, command line), saving, the section list, find, the option window and
// the settings that come back at the next start. Every change of the drawing is an
// operation of the Document, whose ChangeReport the window applies to its views in one
// place (ApplyChange). Loads go into a second buffer on a worker thread while the window
// keeps painting; only a successful read replaces the drawing on show. The decisions live
// in Qt-free units (Document, MyFileLib, SectionList, FindMatcher, Settings); this class
// routes events to them. The list tabs and the tool tab are widgets of their own
// (ui/tabs/) that read the Document; their jumps, renames and rounding runs come back
// here.
#pragma once

#include <array>     // std::array
#include <memory>    // std::unique_ptr
#include <optional>  // std::optional
#include <string>    // std::string
#include <vector>    // std::vector

#include <QPointer>
#include <QWidget>

#include "cad/MyCADLib.h"
#include "cad/WindowSystem.h"
#include "logic/Dialogs.h"
#include "logic/Edition.h"
#include "logic/acad/AcadSequences.h"
#include "logic/document/Document.h"
#include "logic/document/EditHistory.h"
#include "logic/find/FindSearch.h"
#include "logic/navigation/HandleNavigation.h"
#include "logic/navigation/JumpHistory.h"
#include "logic/rounding/RoundingTool.h"
#include "settings/Settings.h"
#include "ui/DrawingView.h"
#include "ui/ElidedLabel.h"
#include "ui/OptionForm.h"
#include "ui/StringGrid.h"
#include "ui/VuFrameDXFGrid.h"
#include "ui/VuMessageBox.h"
#include "ui/tabs/BlockListTab.h"
#include "ui/tabs/ColorListTab.h"
#include "ui/tabs/GroupListTab.h"
#include "ui/tabs/LayerListTab.h"
#include "ui/tabs/LtypeListTab.h"
#include "ui/tabs/ToolTab.h"

class CompareList;
class PurgeDialog;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QProgressDialog;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTimer;

/// What the window holds that its child widgets use until they are gone: the drawing (an
/// open cell editor commits into it as it closes) and the AutoCAD link with the window
/// system it was made with (the link goes first). A child of the window made after every
/// other child, so that Qt deletes it last.
class TFMMainParts : public QObject {
 public:
  explicit TFMMainParts(WindowSystem* windows);
  std::unique_ptr<WindowSystem> platformWindows;  // the window system when none was given
  std::unique_ptr<TAutoCADWindow> autoCAD;
  Document document;
};

class TFMMain : public QWidget {
  Q_OBJECT

 public:
  /// Creates the window (FormCreate). values carries Edition and Version; settings live
  /// beside executablePath; arguments are the command-line arguments after the program.
  /// The AutoCAD link works through windows, or the platform's window system when null.
  TFMMain(ProgramValues values, Dialogs& dialogs, std::string executablePath,
          std::vector<std::string> arguments, WindowSystem* windows = nullptr,
          QWidget* parent = nullptr);
  ~TFMMain() override;

  /// The drawing on show, with its history, tables and handle index; it changes only
  /// through its operations.
  const Document& Doc() const { return m_parts->document; }
  // The program-wide state.
  ProgramValues Values;
  SettingsRecord Settings;

  // Controls.
  QWidget* Panel_left;
  QPushButton* BTOpen;
  QPushButton* BTACADRead;
  QPushButton* BTErrorJump;
  QPushButton* BTSave;
  QComboBox* CBFind;
  QPushButton* BTFind;
  QPushButton* BTOption;
  QPushButton* BTEnd;
  QListWidget* ListBox_line;
  QSplitter* Splitter2;
  QWidget* Panel_right;
  ElidedLabel* LBDXFData;  // the file, shortened in the middle when it does not fit
  QLabel* LBEncoding;      // the encoding the document is read in, and why; right-click to choose
  QFrame* Bevel1;
  QTabWidget* PCSGData;
  QWidget* TSDXFData;
  // The list tabs, each a widget with its controls and its filled flag.
  LayerListTab* TSLayerList;
  LtypeListTab* TSLineList;
  ColorListTab* TSColorList;
  BlockListTab* TSBlockList;
  GroupListTab* TSGroupList;
  ToolTab* TSTool;  // the rounding tool (editor edition); null in the viewer after start-up
  TFrameDXFGrid* FRDXFGrid;
  // The drawing beside the grid (MainFormDrawing.cpp), hidden until F8 shows it.
  QSplitter* SPDXFData;
  DrawingView* FRDrawing;
  QWidget* Panel_bottom;
  TVuMessageBox* MsgBox;
  TForm_option* Form_option;

  /// Runs the start-up steps once: titles, settings, find history, the empty grid; then
  /// queues the load of the command-line file.
  void FormActivate();
  /// Loads path (asking first about unsaved edits) and shows it; false when nothing was
  /// loaded. A failed load is logged and shown and leaves the document on show as it was.
  bool LoadDxfFile(const std::string& path);
  void BTOpenClick();
  /// Opens one of the files last opened (the open button's right-click menu), asking
  /// first about unsaved edits.
  void OpenRecentFile(const std::string& path);
  void BTACADReadClick();
  void BTErrorJumpClick();
  void BTSaveClick();
  /// Finds the next matching value after the cursor (F3); FindPrevious the one before it
  /// (Shift+F3). At the end of the file the user may go on from its other end.
  void BTFindClick();
  void FindPrevious();
  void BTOptionClick();
  void BTEndClick();
  /// Jumps to the section list's current entry.
  void ListBox_lineClick();
  /// Snaps the untidy values of ENTITIES as the tool tab's boxes say (its BTPosReSnap),
  /// then reports.
  void RunRounding(const RoundSettings& settings);
  /// Handles files dropped on the window: one DXF file (any letter case) is loaded.
  void DropFiles(const std::vector<std::string>& paths);
  /// Adds the entries of the DXF grid's right-click menu; they act on the pair under
  /// the cursor (or the selected rows).
  void FillGridMenu(QMenu& menu);
  /// Shows pair `index` under the grid's cursor; the place left is kept for GoBack.
  void JumpToPair(int index);
  void JumpToLine(long long line);
  /// Returns to the place the last jump left (Alt+Left); beeps when there is none.
  void GoBack();
  /// Undoes a GoBack (Alt+Right); beeps when there is nothing ahead.
  void GoForward();
  /// Takes the last change to the drawing back (Ctrl+Z); beeps when there is none.
  void UndoChange();
  /// Makes the change undone last again (Ctrl+Y, Ctrl+Shift+Z); beeps when there is none.
  void RedoChange();
  /// Returns the history of the changes to the drawing on show.
  const EditHistory& Edits() const { return Doc().History(); }
  /// Asks for a line number or a handle and jumps there (Ctrl+G).
  void GoToLineOrHandle();
  /// Jumps to the record that owns the handle of the pointer under the cursor (Ctrl+Enter).
  void FollowPointer();
  /// Writes the pairs that point at the record under the cursor to the message panel.
  void ListReferrers();
  /// Checks the drawing and writes its problems to the message panel (F7).
  void CheckDrawingStructure();
  /// Asks for another DXF file and lists what differs between it and the drawing on show
  /// in the compare window (Ctrl+D); beeps when no drawing is on show.
  void CompareWithFile();
  /// Shows or hides the drawing beside the grid (F8).
  void ToggleDrawingView();
  /// Lists the definitions nothing uses in a window over this one, where the user unticks
  /// what stays and "削除" takes the rest out as one undo step (editor edition); beeps
  /// when no drawing is on show, and says so when nothing is unused.
  void PurgeUnused();
  /// Checks the drawing, asks whether to repair what can be repaired and repairs it as
  /// one undo step (editor edition), writing each repair and each problem left to the
  /// message panel; beeps when no drawing is on show.
  void RepairDrawing();
  void FillSectionList();
  void SyncSectionList(int index);
  /// Asks AutoCAD whether it runs and shows a DXF input error, and enables the two
  /// AutoCAD buttons accordingly (every repaint of the window).
  void FormPaint();
  /// Reads the document on show in `encoding`, or as detected when none is given: logs
  /// the choice, shows the values anew and builds the lists again when next shown. The
  /// bytes stay as they are, so the document is not modified.
  void ChooseDocumentEncoding(std::optional<TextEncoding> encoding);
  /// Tells whether the document has edits that were not saved.
  bool IsModified() const { return Doc().IsModified(); }
  /// The one answer to "is a drawing on show?".
  bool HasDocument() const { return Doc().HasDrawing(); }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool focusNextPrevChild(bool next) override;

 private:
  void CreatePanels();
  QWidget* CreateLeftPanel();
  QWidget* CreateRightPanel();
  QWidget* CreateBottomPanel();
  QPushButton* AddButton(int top, const QString& caption);
  void CreateTabs();
  void CreateListTabs();
  void RemoveToolTab();
  void CreateShortcuts();
  void ApplyEdition();
  void ApplyWindowSettings();
  void CollectWindowSettings();
  void FillFindBox();
  void LoadCommandLineFile();
  bool LoadDocument(const std::string& path);
  Error ReadInBackground(TDXFBuffer& loaded, const std::string& path);
  void ShowLoadedDocument(const ChangeReport& loaded);
  bool SaveDocument();
  void TurnTab(int step);
  /// Saves to the document's own file without a dialog (Ctrl+S); asks as the button does
  /// when it has none or came from an AutoCAD read.
  void SaveToOwnFile();
  bool HasOwnFile() const;
  bool AgreeToLoseCutText();
  bool SaveDrawingAs(const std::string& path, std::optional<DXFForm> form);
  bool ConfirmDiscardChanges();
  /// Ends the in-place edit of every grid of the window, committed as Enter would or
  /// refused with its message, before the document is closed or replaced.
  void EndCellEdits();
  /// The one place the views follow a change, whichever operation of the Document made
  /// it: writes the report's log lines and notices to the panel, shows the document's
  /// modified state in the title, refills the grid once, fills the section list and the
  /// labels again after an index update, has every list tab built anew at its next
  /// showing and runs the build of the handle index when it was started again.
  void ApplyChange(const ChangeReport& report);
  /// ApplyChange but for the panel's log lines and the grid's rows, which the grid took
  /// care of: what follows an edit in the grid.
  void FollowGridEdit(const ChangeReport& report);
  void FollowChange(const ChangeReport& report);
  void ApplyHistoryStep(bool undo);
  void UpdateCaption();
  void FindFromCursor(FindDirection direction);
  int SearchWithProgress(const FindTerm& term, const FindStretch& stretch);
  /// Shows a modal progress dialog over the window; no cancel button when cancelCaption
  /// is empty, a busy bar when maximum is 0.
  std::unique_ptr<QProgressDialog> ShowProgress(const QString& label, const QString& cancelCaption,
                                                int maximum);
  int PickedFindItem() const;
  std::vector<std::string> FindItems() const;
  void SetFindItems(const std::vector<std::string>& items);
  AcadContext MakeAcadContext();
  void JumpToSectionEntry(QListWidgetItem& item);
  void ShowGridMenu(QPoint globalPos);
  /// Puts the grid and the drawing view side by side on the DXF tab and returns the pair.
  QWidget* CreateDrawingDock();
  void ShowRecentFiles(QPoint pos);
  void Panel_leftResize();
  void ShowEncodingMenu(const QPoint& globalPos);
  void UpdateEncodingLabel();
  void FRDXFGridDXFScrollBarChange();
  void FRDXFGridDXFGridDrawCell(int col, int row, bool focused);
  void ConnectHandleNavigation();
  void ContinueHandleIndex();
  const HandleIndex& ReadyHandleIndex();
  void ShowJumpTarget(const JumpTarget& target);
  void ShowPlace(const GridView& place);
  void WriteLog(const std::vector<std::string>& lines);
  /// Tells the compare window, if one is open, that the drawing on show has changed.
  void MarkCompareStale();
  void PurgeChosen(const std::vector<bool>& chosen);
  void NameControls();
  Document& Drawing() { return m_parts->document; }  // the drawing, for its operations

  /// Has the tab that came up fill itself: a list is built unless it is already, the
  /// tool tab selects its defaults.
  void PCSGDataChange(int index);
  /// Has every list built anew at its next showing.
  void ResetListFlags();
  std::array<ListTab*, 5> ListTabs() const;

  Dialogs& m_dialogs;
  TFMMainParts* m_parts;  // a child of the window, deleted after every other
  TAutoCADWindow& AutoCAD;
  std::string m_executablePath;
  std::vector<std::string> m_arguments;
  Dialogs::FileRequest m_openDialog;  // OpenDialog1: keeps its folder between runs
  Dialogs::FileRequest m_saveDialog;  // SaveDialog1
  std::vector<std::string> m_sectionEntries;
  QTimer* m_handleTimer = nullptr;  // runs the next step of the handle index's build
  JumpHistory m_history;            // the places the grid jumped from
  bool m_started = false;
  bool m_loading = false;
  QPointer<CompareList> m_compare;  // the compare window, while one is open
  QPointer<PurgeDialog> m_purge;    // the purge's list, while it is open
};
