// Fuzz target: the skin file and the form texts and action blocks inside it.
#include <cstdint>
#include <string>

#include "configui/FormText.h"
#include "configui/KXForms.h"
#include "configui/SkinError.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  kx::TKXForms forms;
  try {
    forms.LoadSkinText(text, "fuzz.kxu");
  } catch (const kx::SkinError&) {
  }
  for (int i = 0; i < forms.GetFormCount(); ++i) {
    std::string form;
    for (const auto& line : forms.Form(i).Lines) form += line + "\n";
    try {
      kx::ParseFormText(form);
    } catch (const kx::SkinError&) {
    }
  }
  // The input as one form text on its own, too.
  try {
    kx::ParseFormText(kx::SkinTextToUtf8(text));
  } catch (const kx::SkinError&) {
  }
  return 0;
}
