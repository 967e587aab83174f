#pragma once

#include <string>

namespace spellchecker {

// Both calls hand a path to the desktop shell and return once the shell has taken the request
// (or failed): the choice of the program that opens the file, and the file's properties sheet.
// They run on the calling thread, report nothing and never throw: the shell alone decides what
// to show, and every failure is silent. A path holding a NUL is cut there.

void ShowOpenWithDialog(const std::u16string& path);
void ShowPropertiesDialog(const std::u16string& path);

}  // namespace spellchecker
