#pragma once
// "Make a screensaver": the items of the show (scenes and photos, in order), its main
// settings and its music, written as a finished screensaver (SaverMaker), and optionally
// installed as the user's screensaver by the kxpack program beside kxscene.
#include <QDialog>
#include <string>

#include "kxscene/SaverMaker.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QSpinBox;

namespace kx::kxscene {

class MakeSaverDialog : public QDialog {
 public:
  // `firstItem`: the scene being made (saved), listed first; may be empty.
  explicit MakeSaverDialog(const std::string& firstItem, QWidget* parent = nullptr);

  SaverChoices Choices() const;
  void SetOutPath(const QString& path);
  void AddItem(const QString& path);
  // Writes the screensaver with a progress dialog; errors in a message box. True when written
  // (and installed when asked).
  bool Make();

 private:
  QListWidget* items_;
  QLineEdit* name_;
  QSpinBox* duration_;
  QSpinBox* transition_;
  QCheckBox* stretch_;
  QCheckBox* clock_;
  QLineEdit* music_;
  QLineEdit* out_;
  QCheckBox* install_;
};

// The programs that sit beside kxscene.
std::string SiblingProgram(const char* name);

}  // namespace kx::kxscene
