#pragma once

#include "app/DocumentShell.h"

namespace tessel {

// Opens documents through ShellExecuteExA, as the file manager would.
class ShellExecuteShell : public DocumentShell {
  public:
    std::uintptr_t GetDesktopWindow() override;
    bool Execute(const ExecuteInfo& request) override;
};

}  // namespace tessel
