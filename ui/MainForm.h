// MainForm.h - the main window: command column, DXF grid, list tabs and message panel.
//
// TFMMain owns the one document buffer for the whole run and hangs everything off it:
// opening (dialog, drop, command line), saving, the section list, find, the option
// window and the settings that come back at the next start. Loads go into a second
// buffer on a worker thread while the window keeps painting; only a successful read
// replaces the document on show. The decisions live in Qt-free units (MyFileLib,
// DocumentLoad, SectionList, FindMatcher, Settings); this class routes events to them.
#pragma once

#include <map>       // std::map
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
#include "logic/document/EditHistory.h"
#include "logic/find/FindSearch.h"
#include "logic/lists/ListRows.h"
#include "logic/navigation/HandleNavigation.h"
#include "logic/navigation/JumpHistory.h"
#include "logic/rename/NameReplace.h"
#include "logic/rounding/RoundingTool.h"
#include "model/buffer/HandleIndex.h"
#include "model/buffer/MyDXFClass.h"
#include "settings/Settings.h"
#include "ui/DrawingView.h"
#include "ui/OptionForm.h"
#include "ui/StringGrid.h"
#include "ui/VuFrameDXFGrid.h"
#include "ui/VuMessageBox.h"

class CompareList;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QProgressDialog;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTimer;

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

  // The document, the tables its lists are built from, the AutoCAD link and the
  // program-wide state.
  TDXFBuffer Buffer;
  TDXFLayerTable LayerTable;
  TDXFGroupTable GroupTable;
  std::unique_ptr<TAutoCADWindow> AutoCAD;
  ProgramValues Values;
  SettingsRecord Settings;
  int LayerListFilled = 0;
  int LtypeListFilled = 0;
  int ColorListFilled = 0;
  int BlockListFilled = 0;
  int GroupListFilled = 0;

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
  QLabel* LBDXFData;
  QLabel* LBEncoding;  // the encoding the document is read in, and why; right-click to choose
  QFrame* Bevel1;
  QTabWidget* PCSGData;
  QWidget* TSDXFData;
  QWidget* TSLayerList;
  QWidget* TSLineList;
  QWidget* TSColorList;
  QWidget* TSBlockList;
  QWidget* TSGroupList;
  QWidget* TSTool;  // null in the viewer edition after start-up
  // The rounding tool on TSTool (editor edition).
  QGroupBox* GBToolPos;
  QLabel* LBToolValidDigit;
  QComboBox* CBToolValidDigit;
  QLabel* LBToolRoundDigit;
  QComboBox* CBToolRoundDigit;
  QGroupBox* GBToolAng;
  QLabel* LBToolAngValidDigit;
  QComboBox* CBToolAngValidDigit;
  QLabel* LBToolAngRoundDigit;
  QComboBox* CBToolAngRoundDigit;
  QPushButton* BTPosReSnap;
  TFrameDXFGrid* FRDXFGrid;
  // The drawing beside the grid (MainFormDrawing.cpp), hidden until F8 shows it.
  QSplitter* SPDXFData;
  DrawingView* FRDrawing;
  // The list tabs (MainFormLists.cpp).
  QWidget* Panel1;
  QLabel* LBClayer;
  StringGrid* SGLayerList;
  QLabel* LBLtscale;
  QLabel* LBCeltscale;
  QLabel* LBCeltype;
  StringGrid* SGLtypeList;
  QLabel* LBCecolor;
  StringGrid* SGColorList;
  StringGrid* SGBlockList;
  QLabel* LBGroup;
  StringGrid* SGGroupList;
  QSplitter* SPGroupList;
  QWidget* PNGroupMember;
  QLabel* LBGroupMember;
  StringGrid* SGGroupMember;
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
  /// Selects the default item in each tool combo box that has none (the tab is shown).
  void TSToolShow();
  /// Snaps the untidy values of ENTITIES as the tool's boxes say, then reports.
  void BTPosReSnapClick();
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
  const EditHistory& Edits() const { return m_edits; }
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
  bool IsModified() const { return m_modified; }

  /// Fill a list tab from the buffer, once after each load or change of the buffer.
  void TSLayerListShow();
  void TSLineListShow();
  void TSColorListShow();
  void TSBlockListShow();
  void TSGroupListShow();
  void UpdateClayerLabel();
  void UpdateLtypeLabels();
  /// Shows the members of the group in a row of the group grid.
  void SGGroupListSelectCell(int row);

  /// An editable list: its grid, its in-place name edit, its names as the file stores
  /// them (row k + 1 holds names[k]) and the labels that follow a replacement.
  struct NameListState {
    StringGrid* grid;
    NameEditState edit;
    std::vector<std::string> names;
    void (TFMMain::*updateLabels)();
  };

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
  QWidget* CreateToolTab();
  void RemoveToolTab();
  RoundChoice ToolChoice() const;
  void CreateShortcuts();
  void ApplyEdition();
  void ApplyWindowSettings();
  void CollectWindowSettings();
  void FillFindBox();
  void LoadCommandLineFile();
  bool LoadDocument(const std::string& path);
  int ReadInBackground(TDXFBuffer& loaded, const std::string& path);
  void ShowLoadedDocument();
  bool SaveDocument();
  bool ConfirmDiscardChanges();
  /// Ends the in-place edit of every grid of the window, committed as Enter would or
  /// refused with its message, before the document is closed or replaced.
  void EndCellEdits();
  /// The one path every change of the buffer ends in, whichever tool made it: seals the
  /// changes as one step of the edit history named stepName (CP932), then refreshes as
  /// ShowChangedBuffer does. Every future change path must end here.
  void BufferChanged(const std::string& stepName);
  void ApplyHistoryStep(bool undo);
  /// Marks the document modified unless the history stands at the saved state, shows
  /// the new values and remarks in the grid, the section list and the labels after an
  /// index update, and has every list tab built anew at its next showing.
  void ShowChangedBuffer(const StepReport& step);
  void SetModified(bool modified);
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
  void StartHandleIndex();
  void ContinueHandleIndex();
  const HandleIndex& ReadyHandleIndex();
  void ShowJumpTarget(const JumpTarget& target);
  void ShowPlace(const GridView& place);
  void WriteLog(const std::vector<std::string>& lines);
  /// Tells the compare window, if one is open, that the drawing on show has changed.
  void MarkCompareStale();
  bool HasDocument() const;
  void NameControls();

  // The list tabs (MainFormLists.cpp).
  void CreateListTabs();
  void CreateLayerTab();
  void CreateLtypeTab();
  void CreateColorTab();
  void CreateBlockTab();
  void CreateGroupTab();
  void HookRowJumps(StringGrid& grid);
  void HookLabelJump(QLabel* label, QLabel* lineOf = nullptr);
  void HookNameEdit(NameListState& list);
  void SetListLabel(QLabel* label, const ListLabel& content);
  void JumpFromRow(const StringGrid& grid);
  void ResetListFlags();
  void PCSGDataChange(int index);
  void ShowIncompleteList(StringGrid& grid, const std::string& failure);
  template <typename Build>
  bool ShowNameList(NameListState& list, int& filled, Build build);
  bool SGLayerListDrawCell(QPainter& painter, int col, int row, const QRect& rect,
                           StringGrid::DrawState state);
  bool SGColorListDrawCell(QPainter& painter, int col, int row, const QRect& rect,
                           StringGrid::DrawState state);
  void NameListSetEditText(NameListState& list, int col, const QString& text);

  Dialogs& m_dialogs;
  std::unique_ptr<WindowSystem> m_platformWindows;  // the window system when none was given
  std::string m_executablePath;
  std::vector<std::string> m_arguments;
  Dialogs::FileRequest m_openDialog;  // OpenDialog1: keeps its folder between runs
  Dialogs::FileRequest m_saveDialog;  // SaveDialog1
  std::vector<std::string> m_sectionEntries;
  HandleIndex m_handles;            // the handles of Buffer, built between paints
  QTimer* m_handleTimer = nullptr;  // runs the next step of the index's build
  JumpHistory m_history;            // the places the grid jumped from
  EditHistory m_edits;              // the changes to Buffer, for undo and redo
  std::string m_documentPath;       // the file on show, as loaded or last saved
  bool m_started = false;
  bool m_loading = false;
  bool m_modified = false;
  NameListState m_layerNames{nullptr, NameEditState(NameKind::Layer), {}, nullptr};
  NameListState m_ltypeNames{nullptr, NameEditState(NameKind::Ltype), {}, nullptr};
  NameListState m_blockNames{nullptr, NameEditState(NameKind::Block), {}, nullptr};
  std::vector<ColorUse> m_colorUses;          // the colour list's records, row k + 1 shows [k]
  std::map<const QLabel*, int> m_labelLines;  // the line a list label's double-click shows
  QPointer<CompareList> m_compare;            // the compare window, while one is open
};
