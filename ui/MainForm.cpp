// MainForm.cpp - the main window: creation, layout, start-up, option window and close.
#include "ui/MainForm.h"

#include <algorithm>  // std::find_if
#include <array>      // std::array

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressDialog>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "logic/document/EncodingChoice.h"
#include "logic/document/MyFileLib.h"
#include "model/text/Sjis.h"
#include "ui/QtText.h"

namespace {

constexpr int kFontPixels = 13;
constexpr int kMinimumWidth = 560;
constexpr int kMinimumHeight = 300;
constexpr int kLeftPanelWidth = 139;
constexpr int kControlLeft = 9;  // every control of the command column
constexpr int kControlWidth = 120;
constexpr int kButtonHeight = 25;
constexpr int kFindBoxTop = 110;
constexpr int kFindBoxHeight = 21;
constexpr int kSectionListTop = 216;
constexpr int kSectionListBottomGap = 8;  // the list ends 8 pixels above the panel's bottom
constexpr int kBottomPanelHeight = 64;
constexpr int kSplitterWidth = 2;
constexpr int kLabelHeight = 16;
const QColor kLabelColor(0, 0, 255);

// Tabs with less blank around their captions: at the window's default width the seven
// tabs of the editor edition fit beside the command column (the style's own space cut off
// the last one). Narrower windows get the tab bar's scroll buttons.
class CompactTabStyle : public QProxyStyle {
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    if (metric == PM_TabBarTabHSpace) return kTabCaptionSpace;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }

 private:
  static constexpr int kTabCaptionSpace = 18;  // pixels beside a caption, both sides together
};

}  // namespace

static bool IsEnterKey(const QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const int key = static_cast<const QKeyEvent*>(event)->key();
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

TFMMainParts::TFMMainParts(WindowSystem* windows) {
  if (!windows) {
    // The link's waits let the window repaint and take clicks, as AutoCAD's prompts come.
    platformWindows = MakePlatformWindowSystem([] { QCoreApplication::processEvents(); });
    windows = platformWindows.get();
  }
  autoCAD = std::make_unique<TAutoCADWindow>(*windows);
}

TFMMain::TFMMain(ProgramValues values, Dialogs& dialogs, std::string executablePath,
                 std::vector<std::string> arguments, WindowSystem* windows, QWidget* parent)
    : QWidget(parent),
      Values(std::move(values)),
      m_dialogs(dialogs),
      m_parts(new TFMMainParts(windows)),
      AutoCAD(*m_parts->autoCAD),
      m_executablePath(std::move(executablePath)),
      m_arguments(std::move(arguments)) {
  Drawing().ViewBuffer().OnMessage = [this](const std::string& text) {
    m_dialogs.ShowMessage(text);
  };
  setFont(JapaneseFont(kFontPixels));
  setMinimumSize(kMinimumWidth, kMinimumHeight);
  CreatePanels();
  CreateTabs();
  CreateShortcuts();
  ConnectHandleNavigation();
  Form_option = new TForm_option(Settings, this);
  Form_option->setObjectName(QStringLiteral("Form_option"));
  PCSGData->setCurrentWidget(TSDXFData);
  setAcceptDrops(true);
  m_openDialog.filter = Sjis("DXFﾌｧｲﾙ|*.DXF");
  m_saveDialog.filter = SaveFormFilter();
  // The parts become the window's last child: Qt deletes the children in the order they
  // came, so the grids that write into the drawing go before it.
  m_parts->setParent(this);
}

// The open cell edits are committed while the window is whole; from then on the children,
// which Qt deletes after this, call nothing of it back.
TFMMain::~TFMMain() {
  EndCellEdits();
  for (QObject* child : findChildren<QObject*>())
    QObject::disconnect(child, nullptr, this, nullptr);
}

// ------------------------------------------------------------------ layout

void TFMMain::CreatePanels() {
  auto* top = new QWidget;
  auto* topLayout = new QHBoxLayout(top);
  topLayout->setContentsMargins(0, 0, 0, 0);
  topLayout->setSpacing(0);
  topLayout->addWidget(CreateLeftPanel());
  topLayout->addWidget(CreateRightPanel(), 1);
  Splitter2 = new QSplitter(Qt::Vertical, this);
  Splitter2->setHandleWidth(kSplitterWidth);
  Splitter2->setOpaqueResize(true);
  Splitter2->setChildrenCollapsible(false);
  Splitter2->addWidget(top);
  Splitter2->addWidget(CreateBottomPanel());
  Splitter2->setStretchFactor(0, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Splitter2);
}

QPushButton* TFMMain::AddButton(int top, const QString& caption) {
  auto* button = new QPushButton(caption, Panel_left);
  button->setGeometry(kControlLeft, top, kControlWidth, kButtonHeight);
  return button;
}

QWidget* TFMMain::CreateLeftPanel() {
  Panel_left = new QWidget;
  Panel_left->setFixedWidth(kLeftPanelWidth);
  BTOpen = AddButton(6, QStringLiteral(" DXFﾌｧｲﾙを開く"));
  // The two AutoCAD buttons wait for the first paint's probe (FormPaint).
  BTACADRead = AddButton(32, QStringLiteral("AutoCADから読込"));
  BTErrorJump = AddButton(58, QStringLiteral("DXF読込ｴﾗｰ行表示"));
  BTACADRead->setEnabled(false);
  BTErrorJump->setEnabled(false);
  BTSave = AddButton(84, QStringLiteral("DXFﾌｧｲﾙを保存"));
  BTSave->setEnabled(false);
  CBFind = new QComboBox(Panel_left);
  CBFind->setEditable(true);
  CBFind->setInsertPolicy(QComboBox::NoInsert);
  CBFind->setGeometry(kControlLeft, kFindBoxTop, kControlWidth, kFindBoxHeight);
  BTFind = AddButton(131, QStringLiteral("検　索"));
  BTFind->setEnabled(false);
  BTOption = AddButton(157, QStringLiteral("設　定"));
  BTEnd = AddButton(183, QStringLiteral("終 了"));
  ListBox_line = new QListWidget(Panel_left);
  ListBox_line->setFocusPolicy(Qt::StrongFocus);  // in the Tab ring with the grid and find box
  ListBox_line->setSelectionMode(QAbstractItemView::SingleSelection);
  Panel_left->installEventFilter(this);
  connect(BTOpen, &QPushButton::clicked, this, &TFMMain::BTOpenClick);
  BTOpen->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(BTOpen, &QWidget::customContextMenuRequested, this, &TFMMain::ShowRecentFiles);
  connect(BTACADRead, &QPushButton::clicked, this, &TFMMain::BTACADReadClick);
  connect(BTErrorJump, &QPushButton::clicked, this, &TFMMain::BTErrorJumpClick);
  connect(BTSave, &QPushButton::clicked, this, &TFMMain::BTSaveClick);
  connect(BTFind, &QPushButton::clicked, this, &TFMMain::BTFindClick);
  connect(BTOption, &QPushButton::clicked, this, &TFMMain::BTOptionClick);
  connect(BTEnd, &QPushButton::clicked, this, &TFMMain::BTEndClick);
  connect(ListBox_line, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { JumpToSectionEntry(*item); });
  connect(ListBox_line, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { JumpToSectionEntry(*item); });  // Enter
  return Panel_left;
}

QWidget* TFMMain::CreateRightPanel() {
  Panel_right = new QWidget;
  LBDXFData = new ElidedLabel(QStringLiteral(" 読込 DXF"));
  LBDXFData->setFixedHeight(kLabelHeight);
  QPalette blue = LBDXFData->palette();
  blue.setColor(QPalette::WindowText, kLabelColor);
  LBDXFData->setPalette(blue);
  LBEncoding = new QLabel;
  LBEncoding->setFixedHeight(kLabelHeight);
  LBEncoding->setPalette(blue);
  for (QLabel* label : {static_cast<QLabel*>(LBDXFData), LBEncoding}) {
    label->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(label, &QLabel::customContextMenuRequested, this,
            [this, label](const QPoint& at) { ShowEncodingMenu(label->mapToGlobal(at)); });
  }
  auto* labels = new QHBoxLayout;
  labels->setContentsMargins(0, 0, 4, 0);
  labels->setSpacing(12);
  labels->addWidget(LBDXFData, 1);
  labels->addWidget(LBEncoding);
  Bevel1 = new QFrame;
  Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  PCSGData = new QTabWidget;
  auto* tabStyle = new CompactTabStyle;
  tabStyle->setParent(PCSGData);
  PCSGData->tabBar()->setStyle(tabStyle);
  PCSGData->setUsesScrollButtons(true);
  PCSGData->setElideMode(Qt::ElideNone);  // a caption is never shortened
  auto* layout = new QVBoxLayout(Panel_right);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addLayout(labels);
  layout->addWidget(Bevel1);
  layout->addWidget(PCSGData, 1);
  return Panel_right;
}

QWidget* TFMMain::CreateBottomPanel() {
  auto* panel = new QFrame;
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel_bottom = panel;
  MsgBox = new TVuMessageBox(Panel_bottom);
  // A line of text at least; its own hint (some five lines) would keep the panel taller
  // than it starts.
  MsgBox->setMinimumHeight(MsgBox->fontMetrics().lineSpacing() + 4);
  auto* layout = new QVBoxLayout(Panel_bottom);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(MsgBox);
  return Panel_bottom;
}

// The list tabs stay empty here; they are filled when their tab is first shown.
void TFMMain::CreateTabs() {
  TSDXFData = new QWidget;
  FRDXFGrid = new TFrameDXFGrid(m_dialogs, *MsgBox, TSDXFData);
  auto* layout = new QVBoxLayout(TSDXFData);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(CreateDrawingDock());
  PCSGData->addTab(TSDXFData, QStringLiteral("DXFﾃﾞｰﾀ"));
  CreateListTabs();
  PCSGData->addTab(TSTool = new ToolTab, QStringLiteral("ツール"));
  connect(TSTool, &ToolTab::RoundRequested, this, &TFMMain::RunRounding);
  connect(TSTool, &ToolTab::PurgeRequested, this, &TFMMain::PurgeUnused);
  connect(PCSGData, &QTabWidget::currentChanged, this, &TFMMain::PCSGDataChange);
  connect(FRDXFGrid, &TFrameDXFGrid::DXFScrollBarChanged, this,
          &TFMMain::FRDXFGridDXFScrollBarChange);
  connect(FRDXFGrid, &TFrameDXFGrid::DXFGridCellDrawn, this, &TFMMain::FRDXFGridDXFGridDrawCell);
  connect(FRDXFGrid, &TFrameDXFGrid::DocumentChanged, this, &TFMMain::FollowGridEdit);
  connect(FRDXFGrid, &TFrameDXFGrid::ContextMenuRequested, this, &TFMMain::ShowGridMenu);
  NameControls();
}

// A list tab's double-clicks jump in the DXF grid; a rename is followed as any change.
void TFMMain::CreateListTabs() {
  TSLayerList = new LayerListTab(Drawing(), m_dialogs, Values);
  TSLineList = new LtypeListTab(Drawing(), m_dialogs, Values);
  TSColorList = new ColorListTab(Doc(), m_dialogs);
  TSBlockList = new BlockListTab(Drawing(), m_dialogs, Values);
  TSGroupList = new GroupListTab(Doc(), m_dialogs);
  const std::pair<ListTab*, QString> tabs[] = {{TSLayerList, QStringLiteral("画層一覧")},
                                               {TSLineList, QStringLiteral("線種一覧")},
                                               {TSColorList, QStringLiteral("色一覧")},
                                               {TSBlockList, QStringLiteral("ﾌﾞﾛｯｸ定義一覧")},
                                               {TSGroupList, QStringLiteral("ｸﾞﾙｰﾌﾟ一覧")}};
  for (const auto& [tab, caption] : tabs) {
    PCSGData->addTab(tab, caption);
    connect(tab, &ListTab::JumpRequested, this, &TFMMain::JumpToLine);
  }
  const std::array<NameListTab*, 3> nameLists = {TSLayerList, TSLineList, TSBlockList};
  for (NameListTab* names : nameLists)
    connect(names, &NameListTab::Renamed, this, &TFMMain::ApplyChange);
}

std::array<ListTab*, 5> TFMMain::ListTabs() const {
  return {TSLayerList, TSLineList, TSColorList, TSBlockList, TSGroupList};
}

void TFMMain::PCSGDataChange(int index) {
  QWidget* page = PCSGData->widget(index);
  if (auto* list = qobject_cast<ListTab*>(page)) return list->ShowList();
  if (TSTool && page == TSTool) TSTool->TSToolShow();
}

void TFMMain::ResetListFlags() {
  for (ListTab* list : ListTabs()) list->MarkStale();
}

// Every control carries its name as its object name, for tests and assistive tools.
void TFMMain::NameControls() {
  const std::pair<QObject*, const char*> controls[] = {
      {this, "FMMain"},
      {Panel_left, "Panel_left"},
      {BTOpen, "BTOpen"},
      {BTACADRead, "BTACADRead"},
      {BTErrorJump, "BTErrorJump"},
      {BTSave, "BTSave"},
      {CBFind, "CBFind"},
      {BTFind, "BTFind"},
      {BTOption, "BTOption"},
      {BTEnd, "BTEnd"},
      {ListBox_line, "ListBox_line"},
      {Splitter2, "Splitter2"},
      {Panel_right, "Panel_right"},
      {LBDXFData, "LBDXFData"},
      {Bevel1, "Bevel1"},
      {PCSGData, "PCSGData"},
      {TSDXFData, "TSDXFData"},
      {FRDXFGrid, "FRDXFGrid"},
      {FRDXFGrid->DXFPanel, "DXFPanel"},
      {FRDXFGrid->DXFGrid, "DXFGrid"},
      {FRDXFGrid->DXFScrollBar, "DXFScrollBar"},
      {Panel_bottom, "Panel_bottom"},
      {MsgBox, "MsgBox"},
  };
  for (const auto& [control, name] : controls) control->setObjectName(QLatin1String(name));
}

void TFMMain::CreateShortcuts() {
  const auto whenEnabled = [this](QPushButton* button, void (TFMMain::*handler)()) {
    return [this, button, handler] {
      if (button->isEnabled()) (this->*handler)();
    };
  };
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this), &QShortcut::activated, this,
          whenEnabled(BTOpen, &TFMMain::BTOpenClick));
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this), &QShortcut::activated, this,
          whenEnabled(BTSave, &TFMMain::SaveToOwnFile));
  connect(new QShortcut(QKeySequence(Qt::Key_F3), this), &QShortcut::activated, this,
          whenEnabled(BTFind, &TFMMain::BTFindClick));
  connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this), &QShortcut::activated, this,
          whenEnabled(BTFind, &TFMMain::FindPrevious));
  // Enter in the find box finds. With the keyboard focus on the combo box, keys reach
  // its line edit through the box, so both are watched.
  CBFind->installEventFilter(this);
  CBFind->lineEdit()->installEventFilter(this);
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), this), &QShortcut::activated, this,
          whenEnabled(BTFind, &TFMMain::CompareWithFile));
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this), &QShortcut::activated, this,
          [this] {
            CBFind->setFocus();
            CBFind->lineEdit()->selectAll();
          });
  const QKeySequence undoKeys[] = {QKeySequence(Qt::CTRL | Qt::Key_Z)};
  const QKeySequence redoKeys[] = {QKeySequence(Qt::CTRL | Qt::Key_Y),
                                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)};
  for (const QKeySequence& keys : undoKeys)
    connect(new QShortcut(keys, this), &QShortcut::activated, this, &TFMMain::UndoChange);
  for (const QKeySequence& keys : redoKeys)
    connect(new QShortcut(keys, this), &QShortcut::activated, this, &TFMMain::RedoChange);
  // The tabs turn with Ctrl+Tab and Ctrl+PgDn, back with Ctrl+Shift+Tab and Ctrl+PgUp,
  // wherever the focus is: the grids would take Ctrl+PgDn as a page down.
  const std::pair<QKeySequence, int> tabKeys[] = {
      {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
      {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
      {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}};
  for (const auto& [keys, step] : tabKeys)
    connect(new QShortcut(keys, this), &QShortcut::activated, this,
            [this, step = step] { TurnTab(step); });
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this), &QShortcut::activated, this,
          &TFMMain::BTEndClick);
}

bool TFMMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Panel_left && event->type() == QEvent::Resize) Panel_leftResize();
  if ((watched == CBFind || watched == CBFind->lineEdit()) && IsEnterKey(event)) {
    // Consumed here: the combo box would hand the key to its line edit a second time.
    if (BTFind->isEnabled()) BTFindClick();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

// Tab and Shift+Tab go round the left panel top to bottom (the buttons, the find box, the
// section list), then the grid; controls that are off or hidden are passed over. From
// anywhere else they take the usual order.
bool TFMMain::focusNextPrevChild(bool next) {
  const std::array<QWidget*, 10> ring = {
      BTOpen, BTACADRead, BTErrorJump, BTSave,       CBFind,
      BTFind, BTOption,   BTEnd,       ListBox_line, FRDXFGrid->DXFGrid};
  const QWidget* focus = QApplication::focusWidget();
  const auto at = std::find_if(ring.begin(), ring.end(), [focus](const QWidget* w) {
    return w == focus || w->isAncestorOf(focus);
  });
  if (!focus || at == ring.end()) return QWidget::focusNextPrevChild(next);
  std::size_t i = static_cast<std::size_t>(at - ring.begin());
  for (std::size_t step = 0; step < ring.size(); ++step) {
    i = (i + (next ? 1 : ring.size() - 1)) % ring.size();
    if (!ring[i]->isVisible() || !ring[i]->isEnabled()) continue;  // the grid behind a list tab
    ring[i]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
  }
  return true;
}

void TFMMain::Panel_leftResize() {
  const int height = Panel_left->height() - kSectionListTop - kSectionListBottomGap;
  ListBox_line->setGeometry(kControlLeft, kSectionListTop, kControlWidth, std::max(0, height));
}

// ------------------------------------------------------------------ start-up and close

void TFMMain::showEvent(QShowEvent* event) {
  FormActivate();
  QWidget::showEvent(event);
}

void TFMMain::FormActivate() {
  if (m_started) return;
  m_started = true;
  ApplyEdition();
  OpenSettingsFile(
      Settings, m_executablePath,
      ToNativePath(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)));
  LoadSettings(Settings);
  ApplyWindowSettings();
  FillFindBox();
  BTOpen->setEnabled(true);
  BTSave->setEnabled(false);
  BTOpen->setFocus();
  FRDXFGrid->SetDocument(&Drawing());
  FRDXFGrid->DXFPanelResize();
  // The load runs once the window is up, so it can show its progress over it.
  QTimer::singleShot(0, this, &TFMMain::LoadCommandLineFile);
}

void TFMMain::ApplyEdition() {
  Values.ProductTitle = ProductTitleOf(Values.Edition);
  Form_option->LBSoft->setText(FromCp932(SoftwareNote(Values.Edition)));
  if (!IsEditorEdition(Values.Edition)) RemoveToolTab();
  UpdateCaption();
  Form_option->setWindowTitle(FromCp932(OptionCaption(Values)));
}

void TFMMain::ApplyWindowSettings() {
  move(Settings.FormLeft, Settings.FormTop);
  resize(Settings.FormWidth, Settings.FormHeight);
  // The message panel keeps its height; the rest of the window's goes to the grid.
  Splitter2->setSizes(
      {height() - Splitter2->handleWidth() - kBottomPanelHeight, kBottomPanelHeight});
  const int widths[] = {Settings.ColWidth0, Settings.ColWidth1, Settings.ColWidth2,
                        Settings.ColWidth3};
  for (int col = 0; col < 4; ++col) FRDXFGrid->SetColWidth(col, widths[col]);
}

void TFMMain::CollectWindowSettings() {
  Settings.FormTop = y();
  Settings.FormLeft = x();
  Settings.FormHeight = height();
  Settings.FormWidth = width();
  Settings.ColWidth0 = FRDXFGrid->GetColWidth(0);
  Settings.ColWidth1 = FRDXFGrid->GetColWidth(1);
  Settings.ColWidth2 = FRDXFGrid->GetColWidth(2);
  Settings.ColWidth3 = FRDXFGrid->GetColWidth(3);
  Settings.FindHistory = FindItems();
}

void TFMMain::FillFindBox() {
  std::vector<std::string> items;
  for (const std::string& item : Settings.FindHistory)
    if (!item.empty()) items.push_back(item);
  SetFindItems(items);
  if (CBFind->count() > 0) CBFind->setCurrentIndex(0);
}

void TFMMain::BTOptionClick() {
  Form_option->exec();
}

void TFMMain::BTEndClick() {
  close();
}

// A failed settings write is reported once; the window closes all the same.
void TFMMain::closeEvent(QCloseEvent* event) {
  if (m_loading || !ConfirmDiscardChanges()) {
    event->ignore();
    return;
  }
  if (Settings.File) {
    CollectWindowSettings();
    const std::string failure = SaveSettings(Settings);
    if (!failure.empty()) m_dialogs.ShowError(failure);
    CloseSettingsFile(Settings);
  }
  event->accept();
}

std::unique_ptr<QProgressDialog> TFMMain::ShowProgress(const QString& label,
                                                       const QString& cancelCaption, int maximum) {
  auto progress = std::make_unique<QProgressDialog>(label, cancelCaption, 0, maximum, this);
  progress->setFont(font());
  progress->setWindowModality(Qt::ApplicationModal);
  progress->setMinimumDuration(0);
  progress->show();
  return progress;
}

void TFMMain::EndCellEdits() {
  FRDXFGrid->EndEdit();
  for (StringGrid* grid : findChildren<StringGrid*>()) grid->HideEditor();
}

// The views follow a change in one place: the panel, the title, the lists, the section
// list and labels, the handle index and, once, the grid.
void TFMMain::ApplyChange(const ChangeReport& report) {
  MsgBox->AddLines(report.log);
  FollowChange(report);
  FRDXFGrid->ShowChange(report);
}

// A grid edit has been logged and shown by the grid itself.
void TFMMain::FollowGridEdit(const ChangeReport& report) {
  FollowChange(report);
}

void TFMMain::FollowChange(const ChangeReport& report) {
  for (const std::string& notice : report.notices) MsgBox->Add(notice);
  UpdateCaption();
  if (report.listsStale) {
    ResetListFlags();
    PCSGDataChange(PCSGData->currentIndex());  // a list on show is read again at once
  }
  if (report.structure) {
    FillSectionList();
    TSLayerList->UpdateClayerLabel();
    TSLineList->UpdateLtypeLabels();
  }
  if (report.handles) m_handleTimer->start(0);
  if (report.changed || report.values) {
    FRDrawing->DocumentChanged();
    MarkCompareStale();
  }
}

// Shows the tab `step` places on, wrapping at either end, as a click on it would.
void TFMMain::TurnTab(int step) {
  const int count = PCSGData->count();
  if (count == 0) return;
  PCSGData->setCurrentIndex((PCSGData->currentIndex() + step + count) % count);
}

// The tool tab is removed in the viewer edition, its controls with it.
void TFMMain::RemoveToolTab() {
  PCSGData->removeTab(PCSGData->indexOf(TSTool));
  delete TSTool;
  TSTool = nullptr;
}

// A stop at a value that is no number keeps what was changed before it: the panel says
// how much, and the document is marked modified like after any other change.
void TFMMain::RunRounding(const RoundSettings& settings) {
  const ChangeReport rounded = Drawing().Round(settings);
  if (rounded.error.code == ErrorCode::NoDrawing) return;
  if (!rounded.Ok()) {
    ApplyChange(rounded);
    m_dialogs.ShowError(rounded.error.message);
    return;
  }
  m_dialogs.Beep();
  ApplyChange(rounded);
  m_dialogs.ShowMessage(RoundSummary(rounded.count));
}

void TFMMain::UndoChange() {
  ApplyHistoryStep(/*undo=*/true);
}

void TFMMain::RedoChange() {
  ApplyHistoryStep(/*undo=*/false);
}

// The keys reach here only outside an in-place editor, which keeps them for its text.
void TFMMain::ApplyHistoryStep(bool undo) {
  if (m_loading) return m_dialogs.Beep();
  const ChangeReport step = undo ? Drawing().Undo() : Drawing().Redo();
  if (!step.Ok()) return m_dialogs.Beep();
  ApplyChange(step);
  FRDXFGrid->ShowPair(step.firstPair);
  SyncSectionList(step.firstPair);
}

// ------------------------------------------------------------------ text encoding

// Lists "自動" (the detected encoding) and every encoding; the one in use is checked.
void TFMMain::ShowEncodingMenu(const QPoint& globalPos) {
  if (!HasDocument()) return;
  const TDXFBuffer& buffer = Doc().Buffer();
  QMenu menu(this);
  menu.setFont(font());
  menu.addAction(FromCp932(EncodingCaption(buffer)))->setEnabled(false);
  menu.addSeparator();
  QAction* automatic = menu.addAction(QStringLiteral("自動"));
  automatic->setCheckable(true);
  automatic->setChecked(buffer.EncodingFrom != EncodingSource::Manual);
  connect(automatic, &QAction::triggered, this, [this] { ChooseDocumentEncoding(std::nullopt); });
  QMenu* chosen = menu.addMenu(QStringLiteral("手動"));
  for (const TextEncoding encoding : AllEncodings()) {
    QAction* action = chosen->addAction(QString::fromLatin1(
        EncodingName(encoding).data(), static_cast<qsizetype>(EncodingName(encoding).size())));
    action->setCheckable(true);
    action->setChecked(buffer.EncodingFrom == EncodingSource::Manual &&
                       buffer.Encoding == encoding);
    connect(action, &QAction::triggered, this,
            [this, encoding] { ChooseDocumentEncoding(encoding); });
  }
  menu.exec(globalPos);
}

void TFMMain::ChooseDocumentEncoding(std::optional<TextEncoding> encoding) {
  const ChangeReport chosen = Drawing().ChooseEncoding(encoding);
  MsgBox->AddLines(chosen.log);
  UpdateEncodingLabel();
  FollowChange(chosen);
  FRDXFGrid->ShowChange(chosen);
}

void TFMMain::UpdateEncodingLabel() {
  LBEncoding->setText(HasDocument() ? FromCp932(EncodingCaption(Doc().Buffer())) : QString());
}

void TFMMain::UpdateCaption() {
  setWindowTitle(FromCp932(DocumentCaption(MainCaption(Values), Doc().Path(), Doc().IsModified())));
}
