#pragma once

#include <string>

#include "app/mdlMain.h"

namespace tessel {

// The help document: ReadMe.txt beside the executable (a portable copy or a build), otherwise the
// one installed with the program. When neither is there, the path beside the executable, so that
// the failure names it.
std::string HelpDocumentPath(mdlMain& application);

}  // namespace tessel
