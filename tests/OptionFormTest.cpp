// OptionFormTest.cpp - the option window: radio buttons and save format from the record,
// OK writes back, any other close leaves the record alone.
#include "ui/OptionForm.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

TEST(TForm_option, ShowsTheMethodFlagsWithWblockWinningATie) {
  SettingsRecord settings;
  TForm_option form(settings);
  const struct {
    bool dxfout, wblock, shownDxfout, shownWblock;
  } cases[] = {{true, true, false, true}, {true, false, true, false}, {false, false, false, false}};
  for (const auto& c : cases) {
    settings.UseDxfout = c.dxfout;
    settings.UseWblock = c.wblock;
    form.FormShow();
    EXPECT_EQ(form.RadioButton_dxfout->isChecked(), c.shownDxfout);
    EXPECT_EQ(form.RadioButton_wblock->isChecked(), c.shownWblock);
  }
  EXPECT_EQ(form.size(), QSize(639, 541));
}

TEST(TForm_option, OkWritesTheButtonsBackAndOtherClosesDoNot) {
  SettingsRecord settings;
  TForm_option form(settings);
  form.show();
  EXPECT_EQ(form.CBSaveFormat->currentText().toStdString(), "元のまま");
  form.RadioButton_dxfout->click();  // the buttons are one group
  EXPECT_FALSE(form.RadioButton_wblock->isChecked());
  form.CBSaveFormat->setCurrentIndex(1);
  form.reject();  // the close box
  EXPECT_FALSE(settings.UseDxfout);
  EXPECT_TRUE(settings.UseWblock);
  EXPECT_FALSE(settings.NormaliseOnSave);
  form.show();  // shows the record again
  EXPECT_TRUE(form.RadioButton_wblock->isChecked());
  EXPECT_EQ(form.CBSaveFormat->currentIndex(), 0);
  form.RadioButton_dxfout->click();
  form.CBSaveFormat->setCurrentIndex(1);
  form.Button1->click();
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_TRUE(settings.UseDxfout);
  EXPECT_FALSE(settings.UseWblock);
  EXPECT_TRUE(settings.NormaliseOnSave);
  form.show();
  EXPECT_EQ(form.CBSaveFormat->currentText().toStdString(), "CR LF に揃える");
}
