#pragma once

#include "app/MessageBoxHost.h"

namespace tessel {

// Message boxes without a window behind them (the start-up failure).
class QtMessageBox : public MessageBoxHost {
  public:
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
};

}  // namespace tessel
