#include "app/mdlExecuteLite.h"

namespace tessel::mdlExecuteLite {

void InitExecuteInfo(ExecuteInfo& request, DocumentShell& shell) {
    request.cbSize = kExecuteInfoSize;
    request.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_CONNECTNETDRV | SEE_MASK_FLAG_NO_UI;
    request.hwnd = shell.GetDesktopWindow();
    request.lpVerb = "open";
    request.nShow = SW_SHOWDEFAULT;
}

std::int32_t ExecuteLite(DocumentShell& shell, const std::string& fileName,
                         const std::optional<std::string>& parameters, const std::string& verb) {
    ExecuteInfo request;
    InitExecuteInfo(request, shell);
    request.lpFile = fileName;
    request.lpParameters = parameters;
    request.lpVerb = verb;
    return shell.Execute(request) ? 1 : 0;
}

}  // namespace tessel::mdlExecuteLite
