#include "platform/qt/QtMessageBox.h"

#include <QMessageBox>
#include <QString>

namespace kx {

static QString FromLocal8(const std::string& text) {
  // Texts of the system are 8-bit; on this platform they are UTF-8.
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void QtMessageBox::Show(MessageKind kind, const std::string& caption, const std::string& text) {
  QMessageBox::Icon icon = QMessageBox::Information;
  if (kind == MessageKind::Warning) icon = QMessageBox::Warning;
  if (kind == MessageKind::Error) icon = QMessageBox::Critical;
  QMessageBox box(icon, FromLocal8(caption), FromLocal8(text), QMessageBox::Ok);
  box.exec();
}

bool QtMessageBox::Ask(const std::string& caption, const std::string& text) {
  QMessageBox box(QMessageBox::Question, FromLocal8(caption), FromLocal8(text),
                  QMessageBox::Yes | QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace kx
