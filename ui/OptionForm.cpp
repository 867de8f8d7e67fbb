// OptionForm.cpp - the option window.
#include "ui/OptionForm.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ui/QtText.h"

namespace {

constexpr int kClientWidth = 639;
constexpr int kClientHeight = 541;
constexpr int kFontPixels = 13;
constexpr int kButtonFontPixels = 15;
const QColor kNoteColor(0, 0, 255);

void MakeBlue(QWidget* widget) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, kNoteColor);
  palette.setColor(QPalette::Text, kNoteColor);
  widget->setPalette(palette);
}

}  // namespace

TForm_option::TForm_option(SettingsRecord& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings) {
  setFixedSize(kClientWidth, kClientHeight);
  setFont(JapaneseFont(kFontPixels));
  setModal(true);
  CreateNotes();
  CreateMethodBox();
  CreateFindBox();
  CreateSaveFormat();
  Button1 = new QPushButton(QStringLiteral("ＯＫ"), this);
  Button1->setGeometry(516, 505, 83, 25);
  Button1->setFont(JapaneseFont(kButtonFontPixels));
  Button1->setDefault(true);
  connect(Button1, &QPushButton::clicked, this, &TForm_option::Button1Click);
}

QLabel* TForm_option::AddLabel(QWidget* parent, int left, int top, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->move(left, top);
  label->adjustSize();
  return label;
}

void TForm_option::CreateNotes() {
  MakeBlue(
      AddLabel(this, 16, 8, QStringLiteral("VU QuilletViewer をお使い頂きありがとうございます。")));
  LBSoft = AddLabel(this, 16, 32, QString());
  LBSoft->setFixedWidth(kClientWidth - 32);
  MakeBlue(LBSoft);
  MakeBlue(AddLabel(this, 16, 56,
                    QStringLiteral("このソフトの使用に対して一切保証致しませんので、"
                                   "各自の責任においてご使用下さい。")));
  MakeBlue(AddLabel(this, 16, 80,
                    QStringLiteral("備考欄に記述されるコメントは不完全ですのでご注意下さい。")));
  MakeBlue(AddLabel(this, 16, 104, QStringLiteral("サポートは、ホームページ掲示板で行います。")));
  Edit1 = new QLineEdit(this);
  Edit1->setGeometry(32, 128, 313, 19);
  Edit1->setFrame(false);
  Edit1->setReadOnly(true);
  Edit1->setAutoFillBackground(false);
  Edit1->setStyleSheet(QStringLiteral("background: transparent"));
  MakeBlue(Edit1);
}

void TForm_option::CreateMethodBox() {
  auto* box = new QGroupBox(QStringLiteral(" AutoCADからの読み込み方法 "), this);
  box->setGeometry(32, 161, 569, 176);
  AddLabel(box, 21, 25, QStringLiteral("AutoCADからDXFファイルを出力する方法を選択します。"));
  RadioButton_dxfout = new QRadioButton(QStringLiteral("DXFOUT による"), box);
  RadioButton_dxfout->setGeometry(32, 48, 201, 25);
  AddLabel(box, 45, 73,
           QStringLiteral("※AutoCAD上で、同名DXFファイルを開いているとエラーになるので注意。"));
  RadioButton_wblock = new QRadioButton(QStringLiteral("WBLOCK による"), box);
  RadioButton_wblock->setGeometry(32, 96, 201, 25);
  RadioButton_wblock->setChecked(true);
  AddLabel(box, 45, 121, QStringLiteral("※未使用のテーブルデータなどは出力されないので注意。"));
  AddLabel(box, 45, 137, QStringLiteral("　グループデータも出力されません。"));
  AddLabel(box, 45, 153, QStringLiteral("　未保存の図面は強制的にWBLOKで出力します。"));
}

void TForm_option::CreateFindBox() {
  auto* box = new QGroupBox(QStringLiteral(" 検索について "), this);
  box->setGeometry(32, 352, 569, 137);
  const QString lines[] = {
      QStringLiteral("手順"),
      QStringLiteral("・検索ボタンの上のコンボボックスに検索する文字を入力します。"),
      QStringLiteral("・検索ボタンをクリックします。DXFデータのデータ値の列内を検索します。"),
      QStringLiteral("・DXFデータの現在行の次の行から検索を開始し、見つかった行を表示します。"),
      QStringLiteral("※検索文字の前後に * を付けることで、部分一致モードに出来ます。"),
      QStringLiteral("  検索文字  →完全一致モード　　*検索文字* →部分一致モード"),
      QStringLiteral("　検索文字* →先頭一致モード　　*検索文字  →後部一致モード"),
  };
  int top = 17;
  for (const QString& line : lines) {
    AddLabel(box, 21, top, line);
    top += 16;  // the notes stand 16 pixels apart
  }
}

// The save format stands left of OK, below the notes on find.
void TForm_option::CreateSaveFormat() {
  AddLabel(this, 32, 510, QStringLiteral("保存形式"));
  CBSaveFormat = new QComboBox(this);
  CBSaveFormat->addItems({QStringLiteral("元のまま"), QStringLiteral("CR LF に揃える")});
  CBSaveFormat->setGeometry(104, 505, 180, 25);
}

void TForm_option::FormShow() {
  const MethodButtons shown = ShownMethodButtons(m_settings);
  // The buttons are one group; turning that off lets both show unchecked if need be.
  RadioButton_dxfout->setAutoExclusive(false);
  RadioButton_wblock->setAutoExclusive(false);
  RadioButton_dxfout->setChecked(shown.dxfout);
  RadioButton_wblock->setChecked(shown.wblock);
  RadioButton_dxfout->setAutoExclusive(true);
  RadioButton_wblock->setAutoExclusive(true);
  CBSaveFormat->setCurrentIndex(m_settings.NormaliseOnSave ? 1 : 0);
}

void TForm_option::Button1Click() {
  m_settings.UseDxfout = RadioButton_dxfout->isChecked();
  m_settings.UseWblock = RadioButton_wblock->isChecked();
  m_settings.NormaliseOnSave = CBSaveFormat->currentIndex() == 1;
  accept();
}

void TForm_option::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
}
