// QtDialogs.cpp - the program's Dialogs on Qt.
#include "ui/QtDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QInputDialog>
#include <QMessageBox>
#include <QScreen>
#include <QTreeView>

#include "ui/QtText.h"

QString MessageText(const std::string& cp932) {
  QString text = FromCp932(cp932);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return WithoutControls(text, /*keepLineFeeds=*/true);
}

QStringList QtFilters(const std::string& cp932Filter) {
  const QStringList parts = FromCp932(cp932Filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype k = 0; k + 1 < parts.size(); k += 2)
    filters << parts[k] + QStringLiteral(" (") + parts[k + 1] + QLatin1Char(')');
  if (parts.size() % 2 == 1) filters << parts.back();
  return filters;
}

// Runs a modal message box whose buttons carry the Japanese captions of the platform's
// own boxes; Qt's are English without a translation loaded.
static QMessageBox::StandardButton RunBox(QWidget* parent, QMessageBox::Icon icon,
                                          const QString& title, const QString& text,
                                          QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, title, text, buttons, parent);
  const struct {
    QMessageBox::StandardButton button;
    const char* caption;
  } kCaptions[] = {{QMessageBox::Yes, "はい(&Y)"},
                   {QMessageBox::No, "いいえ(&N)"},
                   {QMessageBox::Cancel, "キャンセル"},
                   {QMessageBox::Ok, "OK"}};
  for (const auto& caption : kCaptions)
    if (QAbstractButton* b = box.button(caption.button))
      b->setText(QString::fromUtf8(caption.caption));
  box.setDefaultButton(buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString QtDialogs::Caption(const std::string& caption) const {
  return caption.empty() ? m_title : FromCp932(caption);
}

void QtDialogs::ShowMessage(const std::string& text) {
  RunBox(m_parent, QMessageBox::Information, m_title, MessageText(text), QMessageBox::Ok);
}

void QtDialogs::ShowError(const std::string& text) {
  RunBox(m_parent, QMessageBox::Critical, m_title, MessageText(text), QMessageBox::Ok);
}

bool QtDialogs::AskYesNo(const std::string& caption, const std::string& text) {
  return RunBox(m_parent, QMessageBox::NoIcon, Caption(caption), MessageText(text),
                QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

Dialogs::Answer QtDialogs::AskYesNoCancel(const std::string& caption, const std::string& text) {
  const auto button = RunBox(m_parent, QMessageBox::Question, Caption(caption), MessageText(text),
                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  if (button == QMessageBox::Yes) return Answer::Yes;
  return button == QMessageBox::No ? Answer::No : Answer::Cancel;
}

std::optional<std::string> QtDialogs::AskText(const std::string& caption,
                                              const std::string& prompt) {
  QInputDialog dialog(m_parent);
  dialog.setWindowTitle(Caption(caption));
  dialog.setLabelText(MessageText(prompt));
  dialog.setOkButtonText(QStringLiteral("OK"));
  dialog.setCancelButtonText(QString::fromUtf8("キャンセル"));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return ToCp932(dialog.textValue());
}

namespace {

const QSize kFileDialogSize(960, 600);

}  // namespace

// Runs a file dialog for an existing file (open) or any name (save) and returns the
// chosen path, empty on cancel; filterIndex gets the filter chosen.
static std::string RunFileDialog(QWidget* parent, const Dialogs::FileRequest& request, bool save,
                                 int& filterIndex) {
  QFileDialog dialog(parent, FromCp932(request.caption), FromNativePath(request.initialFolder));
  const QStringList filters = QtFilters(request.filter);
  dialog.setNameFilters(filters);
  if (request.filterIndex >= 0 && request.filterIndex < filters.size())
    dialog.selectNameFilter(filters[request.filterIndex]);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  // Large, and with one row per file, so long Japanese file names show whole.
  dialog.setViewMode(QFileDialog::Detail);
  const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
  dialog.resize(kFileDialogSize.boundedTo(screen->availableGeometry().size() * 0.9));
  if (auto* files = dialog.findChild<QTreeView*>()) {
    files->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    files->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  }
  if (!request.fileName.empty()) dialog.selectFile(FromNativePath(request.fileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  filterIndex =
      static_cast<int>(std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter())));
  return ToNativePath(dialog.selectedFiles().front());
}

std::string QtDialogs::OpenFileName(const FileRequest& request) {
  int ignored = 0;
  return RunFileDialog(m_parent, request, /*save=*/false, ignored);
}

std::string QtDialogs::SaveFileName(FileRequest& request) {
  return RunFileDialog(m_parent, request, /*save=*/true, request.filterIndex);
}

void QtDialogs::Beep() {
  QApplication::beep();
}
