#pragma once
// From a form description to the text of a window, and the placeholders of window texts.
//
// The window text is the form text with its first line renamed to the window class and three
// kinds of line removed (each line is tested trimmed, the line itself is kept as it is):
//   - event bindings: a line beginning with "On" whose third character is not a lower-case
//     letter ("OnClick = X" goes, "Online = True" stays). The handlers a skin names belong to
//     the designer's own form class, which this program never has;
//   - "BorderIcons", "BorderStyle" and "FormStyle" lines of any object, in any letter case:
//     the window's frame comes from its own frame properties;
//   - the first "Visible" line of the whole text (the window's own); later ones stay.
//
// Placeholders "<ScreensaverName>", "<CompanyName>" and "<Website>" are replaced one after
// another, every occurrence, matching case exactly, by the project's ProductName, Publisher
// and Website as they stand (so a product name holding "<Website>" ends up with the web site).
#include <string>
#include <vector>

#include "configui/FormText.h"
#include "configui/KXForms.h"
#include "project/KXCProject.h"

namespace kx {

// The window text joined with CR LF.
std::string BuildWindowText(const TKXForm& form);
// The same lines, each with its line number in the form text (from 1), for the parser.
std::vector<SourceLine> BuildWindowLines(const TKXForm& form);

std::string ReplacePlaceholders(const std::string& text, const TKXCProject& project);
// The same for texts shown on controls: when the project names no publisher, a credit
// "by <CompanyName>" goes as a whole, so that no lone "by" is left on the window.
std::string ReplaceCaptionPlaceholders(const std::string& text, const TKXCProject& project);

}  // namespace kx
