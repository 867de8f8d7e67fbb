// OptionFormTest.cpp - the option window: radio buttons from the record, OK writes back,
// any other close leaves the record alone.
#include "ui/OptionForm.h"

#include <gtest/gtest.h>

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
  form.RadioButton_dxfout->click();  // the buttons are one group
  EXPECT_FALSE(form.RadioButton_wblock->isChecked());
  form.reject();  // the close box
  EXPECT_FALSE(settings.UseDxfout);
  EXPECT_TRUE(settings.UseWblock);
  form.show();  // shows the record again
  EXPECT_TRUE(form.RadioButton_wblock->isChecked());
  form.RadioButton_dxfout->click();
  form.Button1->click();
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_TRUE(settings.UseDxfout);
  EXPECT_FALSE(settings.UseWblock);
}
