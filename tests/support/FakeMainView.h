#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/MainWindowView.h"
#include "support/FakeAppHost.h"
#include "support/FakeSpinHost.h"

namespace tessel::testing {

// The main window's controls in memory, at their loaded state: empty texts, spin buttons at their
// defaults, index 0 of both option groups selected.
class FakeMainView : public MainWindowView {
  public:
    FakeMainView() {
        const PropertyBag defaults(uSpinButton::kClassId);
        viewCount.spin.UserControl_ReadProperties(defaults);
        downloadCount.spin.UserControl_ReadProperties(defaults);
    }

    void ShowMessage(const std::string& text, const std::string& boxCaption,
                     MessageIcon icon) override {
        messages.shown.push_back({text, boxCaption, icon});
    }
    void SetWindowCaption(const std::string& text) override { caption = text; }
    void SetFrameCaption(const std::string& text) override { frameCaption = text; }
    void SetStatusText(const std::string& text) override { status = text; }
    void ClearRows() override { rows.clear(); }
    void AddRow(const std::string& text) override { rows.push_back(text); }
    std::int32_t RowCount() override { return static_cast<std::int32_t>(rows.size()); }
    bool IsRowMarked(std::int32_t row) override { return marked.count(row) != 0; }
    std::int32_t CurrentRow() override { return currentRow; }
    void SetCurrentRow(std::int32_t row) override { currentRow = row; }
    void ShowListNotice(const std::string& text) override { notice = text; }
    std::string Text(Field field) override { return texts[field]; }
    void SetText(Field field, const std::string& text) override { texts[field] = text; }
    uSpinButton& ViewCountSpin() override { return viewCount.spin; }
    uSpinButton& DownloadCountSpin() override { return downloadCount.spin; }
    bool IsOptionSelected(OptionGroup group, std::int32_t index) override {
        return selected[group] == index;
    }
    void SelectOption(OptionGroup group, std::int32_t index) override { selected[group] = index; }
    void Close() override { closed = true; }

    // The texts of the message boxes shown, in order.
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> shownTexts;
        for (const auto& shown : messages.shown)
            shownTexts.push_back(shown.text);
        return shownTexts;
    }

    std::string caption, frameCaption, status, notice;
    std::vector<std::string> rows;
    std::set<std::int32_t> marked;
    std::int32_t currentRow = -1;
    std::map<Field, std::string> texts;
    FakeSpinHost viewCount, downloadCount;
    std::map<OptionGroup, std::int32_t> selected{{OptionGroup::kViewOrder, 0},
                                                 {OptionGroup::kNoReadView, 0}};
    RecordingMessages messages;
    bool closed = false;
};

}  // namespace tessel::testing
