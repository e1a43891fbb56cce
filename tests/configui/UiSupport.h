#pragma once
// Support for the tests that build skin windows: a QApplication on the offscreen platform for
// the whole test program, and short ways to build a window from form lines.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "configui/ConfigWindow.h"
#include "configui/KXForms.h"
#include "tests/configui/SkinFixtures.h"

namespace kx::test {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    app_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "test_configui";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

// A skin of one form built from its body lines, and the window made from it.
struct SkinWindow {
  TKXForms forms;
  TKXCProject project;
  ConfigServices services;
  std::unique_ptr<TfmKXCOnfigWindow> window;

  void Load(const std::vector<FormFixture>& forms_) { forms.LoadSkinText(SkinText(forms_), "test skin"); }
  TfmKXCOnfigWindow& BuildNamed(const std::string& name) {
    window = CreateSkinWindow(forms, project, name);
    window->Forms = &forms;
    window->Project = &project;
    window->Services = &services;
    return *window;
  }
  TfmKXCOnfigWindow& Build(std::vector<std::string> body, std::vector<std::string> actions = {"0"}) {
    Load({Form("W", std::move(body), std::move(actions))});
    return BuildNamed("W");
  }
  template <class T>
  T* Control(const std::string& name) const {
    const SkinComponent* c = window->FindComponent(name);
    return c == nullptr ? nullptr : dynamic_cast<T*>(c->Object);
  }
};

// An object block of lines for a control.
inline std::vector<std::string> Block(const std::string& header, std::vector<std::string> lines) {
  std::vector<std::string> out = {"  object " + header};
  for (auto& line : lines) out.push_back("    " + line);
  out.push_back("  end");
  return out;
}

inline std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// Runs `step` as soon as the modal window named `name` is the active modal widget (from an
// event loop, such as the one of another window's exec()).
inline void WhenModal(const std::string& name, std::function<void(TfmKXCOnfigWindow&)> step, int triesLeft = 400) {
  QTimer::singleShot(5, [name, step, triesLeft] {
    auto* modal = dynamic_cast<TfmKXCOnfigWindow*>(QApplication::activeModalWidget());
    if (modal != nullptr && modal->Name() == name && modal->isVisible()) {
      step(*modal);
    } else if (triesLeft > 0) {
      WhenModal(name, step, triesLeft - 1);
    } else {
      ADD_FAILURE() << "the window " << name << " did not open";
      for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) w->close();
    }
  });
}

// Runs `step` as soon as a visible modal widget of class T is active (a dialog's exec(), a
// message box), from the event loop that is running then.
template <class T>
void WhenModalWidget(std::function<void(T&)> step, int triesLeft = 400) {
  QTimer::singleShot(5, [step, triesLeft] {
    auto* modal = dynamic_cast<T*>(QApplication::activeModalWidget());
    if (modal != nullptr && modal->isVisible()) {
      step(*modal);
    } else if (triesLeft > 0) {
      WhenModalWidget<T>(step, triesLeft - 1);
    } else {
      ADD_FAILURE() << "the expected dialog did not open";
      if (QWidget* other = QApplication::activeModalWidget()) other->close();
    }
  });
}

}  // namespace kx::test
