// ToolTab.cpp - the "ツール" tab of the editor edition: the rounding tool's boxes and
// button, and the purge's button.
#include "ui/tabs/ToolTab.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "ui/QtText.h"

namespace {

constexpr int kLabelFontPixels = 15;
constexpr int kButtonFontPixels = 13;
constexpr int kGroupLeft = 32, kGroupWidth = 321, kGroupHeight = 97;
constexpr int kPosGroupTop = 24, kAngGroupTop = 124;
constexpr int kLabelLeft = 18, kBoxLeft = 112, kBoxWidth = 177, kBoxHeight = 21;
constexpr int kStepRowTop = 24, kDigitRowTop = 56;
constexpr int kLabelBelowBox = 3;  // a label's text stands 3 pixels lower than its box
const QRect kButtonRect(57, 227, 296, 25);
const QRect kPurgeButtonRect(57, 267, 296, 25);

template <std::size_t N>
QComboBox* AddComboBox(QWidget* parent, const char* name, int top,
                       const std::array<std::string, N>& items) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setGeometry(kBoxLeft, top, kBoxWidth, kBoxHeight);
  for (const std::string& item : items) box->addItem(FromCp932(item));
  box->setCurrentIndex(-1);  // TSToolShow selects the defaults
  return box;
}

QLabel* AddLabel(QWidget* parent, const char* name, int top, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setFont(JapaneseFont(kLabelFontPixels));
  label->move(kLabelLeft, top + kLabelBelowBox);
  label->adjustSize();
  return label;
}

QGroupBox* AddGroupBox(QWidget* parent, const char* name, int top, const QString& caption) {
  auto* group = new QGroupBox(caption, parent);
  group->setObjectName(QString::fromLatin1(name));
  group->setGeometry(kGroupLeft, top, kGroupWidth, kGroupHeight);
  return group;
}

}  // namespace

ToolTab::ToolTab(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TSTool"));
  GBToolPos = AddGroupBox(this, "GBToolPos", kPosGroupTop, QStringLiteral("座標／距離の補正条件"));
  LBToolValidDigit = AddLabel(GBToolPos, "LBToolValidDigit", kStepRowTop, QStringLiteral("有効桁"));
  CBToolValidDigit = AddComboBox(GBToolPos, "CBToolValidDigit", kStepRowTop, StepItems());
  LBToolRoundDigit =
      AddLabel(GBToolPos, "LBToolRoundDigit", kDigitRowTop, QStringLiteral("四捨五入桁"));
  CBToolRoundDigit = AddComboBox(GBToolPos, "CBToolRoundDigit", kDigitRowTop, RoundDigitItems());
  GBToolAng = AddGroupBox(this, "GBToolAng", kAngGroupTop, QStringLiteral("角度の補正条件"));
  LBToolAngValidDigit =
      AddLabel(GBToolAng, "LBToolAngValidDigit", kStepRowTop, QStringLiteral("有効桁"));
  CBToolAngValidDigit = AddComboBox(GBToolAng, "CBToolAngValidDigit", kStepRowTop, StepItems());
  LBToolAngRoundDigit =
      AddLabel(GBToolAng, "LBToolAngRoundDigit", kDigitRowTop, QStringLiteral("四捨五入桁"));
  CBToolAngRoundDigit =
      AddComboBox(GBToolAng, "CBToolAngRoundDigit", kDigitRowTop, RoundDigitItems());
  // The blank before 実行 is an ideographic space.
  BTPosReSnap = new QPushButton(QStringLiteral("半端座標／寸法／角度の四捨五入　実行"), this);
  BTPosReSnap->setObjectName(QStringLiteral("BTPosReSnap"));
  BTPosReSnap->setFont(JapaneseFont(kButtonFontPixels));
  BTPosReSnap->setGeometry(kButtonRect);
  connect(BTPosReSnap, &QPushButton::clicked, this, &ToolTab::BTPosReSnapClick);
  BTPurge = new QPushButton(QStringLiteral("未使用の削除"), this);
  BTPurge->setObjectName(QStringLiteral("BTPurge"));
  BTPurge->setFont(JapaneseFont(kButtonFontPixels));
  BTPurge->setGeometry(kPurgeButtonRect);
  connect(BTPurge, &QPushButton::clicked, this, &ToolTab::PurgeRequested);
}

RoundChoice ToolTab::Choice() const {
  return {CBToolValidDigit->currentIndex(), CBToolRoundDigit->currentIndex(),
          CBToolAngValidDigit->currentIndex(), CBToolAngRoundDigit->currentIndex()};
}

RoundSettings ToolTab::Settings() const {
  return SettingsOfChoice(Choice());
}

void ToolTab::TSToolShow() {
  const RoundChoice choice = WithRoundDefaults(Choice());
  CBToolValidDigit->setCurrentIndex(choice.validDigit);
  CBToolRoundDigit->setCurrentIndex(choice.roundDigit);
  CBToolAngValidDigit->setCurrentIndex(choice.angValidDigit);
  CBToolAngRoundDigit->setCurrentIndex(choice.angRoundDigit);
}

void ToolTab::BTPosReSnapClick() {
  emit RoundRequested(Settings());
}
