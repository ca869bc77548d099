#include "app/HelpDocument.h"

#include "app/mdlApp.h"

namespace tessel {

std::string HelpDocumentPath(mdlMain& application) {
    const std::string beside = mdlApp::GetAppPath(application.Services().executable) + "ReadMe.txt";
    AppPlaces* places = application.Places();
    if (places == nullptr || places->Exists(beside))
        return beside;
    const std::string installed = places->InstalledHelp();
    return installed.empty() ? beside : installed;
}

}  // namespace tessel
