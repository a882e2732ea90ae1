// The ports a read-next step talks to, recorded for the reading tests: a
// conference list held in a vector and a host that notes what it was asked.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/reading/TReadNextTextThread.h"

namespace pellar::test {

class FakeList : public ConferenceListPort {
public:
    std::vector<int32_t> rows;
    int selected = -1;
    int refreshes = 0, changedRefreshes = 0;
    int RowCount() override { return static_cast<int>(rows.size()); }
    int32_t RowConference(int row) override { return rows.at(static_cast<size_t>(row)); }
    int SelectedRow() override { return selected; }
    void SelectRow(int row) override { selected = row; }
    void ScrollIntoView(int) override {}
    void ClearSelection() override { selected = -1; }
    void Refresh() override { ++refreshes; }
    void RefreshChanged() override { ++changedRefreshes; }
};

class FakeHost : public ReadNextHost {
public:
    std::vector<int32_t> shown;
    std::vector<std::string> info, activities;
    int disconnects = 0, endWork = 0;
    void ShowText(int32_t text) override { shown.push_back(text); }
    void ShowInfo(const std::string& line) override { info.push_back(line); }
    void ChangeActivity(std::string_view key) override { activities.emplace_back(key); }
    void Disconnect() override { ++disconnects; }
    void EndWork() override { ++endWork; }
};

} // namespace pellar::test
