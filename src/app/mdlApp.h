#pragma once

#include <string>
#include <string_view>

#include "app/ExecutableInfo.h"
#include "app/MessageBoxHost.h"

namespace tessel::mdlApp {

// path ending with the separator; an empty path gives the separator alone.
std::string AddPathSeparator(std::string_view path, char separator);

// The application directory, always ending with the separator.
std::string GetAppPath(ExecutableInfo& executable);

// "Ver.1.01", or "Ver.1.01.0001" with the revision; the fills widen, they never cut.
std::string GetVersionString(ExecutableInfo& executable, bool withRevision);

// The product name, a space and the short version: the main window's caption.
std::string GetAppTitle(ExecutableInfo& executable);

// The caption of message boxes that have none of their own: the product name.
std::string GetMessageCaption(ExecutableInfo& executable);

// Product name and full version, then the legal notice on a second line after lineBreak.
std::string GetVersionText(ExecutableInfo& executable, std::string_view lineBreak);

// The version box: product name and full version, then the legal notice on a second line.
void ShowVersionInfo(ExecutableInfo& executable, MessageBoxHost& messages);

}  // namespace tessel::mdlApp
