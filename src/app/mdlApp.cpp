#include "app/mdlApp.h"

#include <cstdio>

#include "app/Messages.h"

namespace tessel::mdlApp {
namespace {

std::string ZeroFilled(unsigned value, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*u", width, value);
    return text;
}

}  // namespace

std::string AddPathSeparator(std::string_view path, char separator) {
    std::string result(path);
    if (result.empty() || result.back() != separator)
        result += separator;
    return result;
}

std::string GetAppPath(ExecutableInfo& executable) {
    return AddPathSeparator(executable.Directory(), executable.PathSeparator());
}

std::string GetVersionString(ExecutableInfo& executable, bool withRevision) {
    const VersionResource version = executable.Version();
    std::string text = "Ver.";
    text += std::to_string(version.major);
    text += '.';
    text += ZeroFilled(version.minor, 2);
    if (withRevision) {
        text += '.';
        text += ZeroFilled(version.revision, 4);
    }
    return text;
}

std::string GetAppTitle(ExecutableInfo& executable) {
    return executable.Version().productName + " " + GetVersionString(executable, false);
}

std::string GetMessageCaption(ExecutableInfo& executable) {
    return executable.Version().productName;
}

std::string GetVersionText(ExecutableInfo& executable, std::string_view lineBreak) {
    const VersionResource version = executable.Version();
    return version.productName + " " + GetVersionString(executable, true) + std::string(lineBreak) +
           version.legalCopyright;
}

void ShowVersionInfo(ExecutableInfo& executable, MessageBoxHost& messages) {
    messages.ShowMessage(GetVersionText(executable, "\r\n"),
                         executable.Version().productName + messages::kVersionInfoOf,
                         MessageIcon::kInformation);
}

}  // namespace tessel::mdlApp
