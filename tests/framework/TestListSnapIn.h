// A snap-in of the tests' own making: one report list with any number of
// columns, on the framework's sorting and layout code.
#pragma once

#include "framework/SnapInBase.h"
#include "tests/framework/TestIds.h"

#include <string>
#include <vector>

namespace vantrel::test {

// Starts the framework's code inside this program as the library does at its
// first list, with the resources linked into the program.
void StartModuleInThisProcess();

struct TestRow {
    std::wstring text;  // column 0
    int64_t number;     // column 1
    double fraction;    // column 2
};

class TestListSnapIn final : public CSnapInBase {
public:
    static constexpr int kListId = 4711;

    TestListSnapIn(ISnapInHost* host, int columns) : CSnapInBase(host), columns_(columns) {}
    ~TestListSnapIn() override { DestroySnapInWindow(); }

    int32_t VANTREL_CALL GetSnapInId() override { return IDS_TEST_SNAPIN; }
    HWND VANTREL_CALL Create(HWND parent) override;
    int32_t VANTREL_CALL CompareItems(int32_t item1, int32_t item2, int32_t listId) override;

    HWND List() const { return list_; }
    const std::vector<TestRow>& Rows() const { return rows_; }
    // Inserts every row the way snap-ins fill their lists.
    void Fill(std::vector<TestRow> rows);
    // The row shown at a position.
    int RowAt(int item) const;
    int CompareCalls() const { return compareCalls_; }

    using CSnapInBase::CompareDoubles;
    using CSnapInBase::CompareNumbers;
    using CSnapInBase::CompareTexts;
    using CSnapInBase::FindSortColumn;
    using CSnapInBase::LoadColumns;
    using CSnapInBase::Resort;
    using CSnapInBase::SaveColumns;
    using CSnapInBase::SortBy;
    using CSnapInBase::SortByColumnClick;
    void SetAscending(bool ascending) { sortAscending_ = ascending; }

private:
    int columns_;
    HWND list_ = nullptr;
    UniqueImageList arrows_;
    std::vector<TestRow> rows_;
    int compareCalls_ = 0;
};

}  // namespace vantrel::test
