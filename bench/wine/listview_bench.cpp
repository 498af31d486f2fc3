// Timing of list-view fills and sorts under Wine: the framework's paths (the
// base's sort through CompareItems, and the report lists every tool fills)
// against bare list-view calls on the same rows. Run by hand:
//   build/windows/wine-run build/windows/bin/listview_bench.exe [rows...]
#include "bench/wine/WallClock.h"
#include "TestListSnapIn.h"
#include "framework/ReportList.h"
#include "framework/text/TextCompare.h"
#include "tests/host/TestHost.h"

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <random>

namespace {

using vantrel::test::TestListSnapIn;
using vantrel::test::TestRow;

using vantrel::bench::Milliseconds;
using vantrel::bench::Time;

std::vector<TestRow> MakeRows(int count) {
    std::mt19937 random(42);
    std::vector<TestRow> rows;
    static const wchar_t* const kWords[] = {L"Service", L"driver", L"Update", L"cache", L"Network", L"store", L"Audio"};
    for (int i = 0; i < count; ++i) {
        std::wstring text = std::wstring(kWords[random() % 7]) + L" " + std::to_wstring(random() % 100000);
        rows.push_back({text, static_cast<int64_t>(random() % 1000), 0.0});
    }
    return rows;
}

HWND BareList(HWND parent) {
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 600, 400, parent,
                                nullptr, nullptr, nullptr);
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_WIDTH;
        column.cx = 100;
        ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    return list;
}

void BareFill(HWND list, std::vector<TestRow>& rows) {
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (size_t r = 0; r < rows.size(); ++r) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(r);
        item.pszText = rows[r].text.data();
        item.lParam = static_cast<LPARAM>(r);
        int index = static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        std::wstring number = std::to_wstring(rows[r].number);
        LVITEMW sub = {};
        sub.iSubItem = 1;
        sub.pszText = number.data();
        ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&sub));
    }
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
}

// The plainest sort there is: item texts by index, compared unit by unit.
int CALLBACK BareCompare(LPARAM first, LPARAM second, LPARAM list) {
    wchar_t a[128], b[128];
    LVITEMW item = {};
    item.cchTextMax = 128;
    item.pszText = a;
    ::SendMessageW(reinterpret_cast<HWND>(list), LVM_GETITEMTEXTW, static_cast<WPARAM>(first), reinterpret_cast<LPARAM>(&item));
    item.pszText = b;
    ::SendMessageW(reinterpret_cast<HWND>(list), LVM_GETITEMTEXTW, static_cast<WPARAM>(second), reinterpret_cast<LPARAM>(&item));
    return wcscmp(a, b);
}

// A report list over the same rows, its texts asked for when shown.
class RowSource final : public vantrel::IReportSource {
public:
    explicit RowSource(const std::vector<TestRow>& rows) : rows_(rows) {}
    std::wstring CellText(LPARAM key, int column) override {
        const TestRow& row = rows_[static_cast<size_t>(key)];
        return column == 0 ? row.text : std::to_wstring(row.number);
    }
    int CompareRecords(LPARAM a, LPARAM b, int) override {
        const std::wstring& x = rows_[static_cast<size_t>(a)].text;
        const std::wstring& y = rows_[static_cast<size_t>(b)].text;
        return vantrel::CompareNoCase(std::u16string_view(reinterpret_cast<const char16_t*>(x.data()), x.size()),
                                      std::u16string_view(reinterpret_cast<const char16_t*>(y.data()), y.size()));
    }

private:
    const std::vector<TestRow>& rows_;
};

constexpr vantrel::ReportColumn kReportColumns[] = {{0, 0, 100}, {1, 0, 100}};

}  // namespace

int main(int argc, char** argv) {
    vantrel::test::StartModuleInThisProcess();

    std::vector<int> sizes = {5000, 20000};
    if (argc > 1) {
        sizes.clear();
        for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    }
    vantrel::test::TestHost host;
    std::printf("%8s %12s %12s %12s %6s %12s %12s %12s %6s\n", "rows", "fill ms", "report fill", "bare fill",
                "ratio", "sort ms", "report sort", "bare sort", "ratio");
    for (int count : sizes) {
        std::vector<TestRow> rows = MakeRows(count);
        TestListSnapIn snapIn(&host, 2);
        snapIn.Create(host.Content());
        HWND bare = BareList(host.Content());
        RowSource source(rows);
        vantrel::CReportList report(source, L"");
        report.Create(host.Content(), 4712, LVS_REPORT, 0);
        report.SetColumns(kReportColumns);
        std::vector<vantrel::CReportList::Row> keys;
        for (size_t r = 0; r < rows.size(); ++r) keys.push_back({static_cast<LPARAM>(r)});

        // Best of a few rounds, alternating which side goes first. Wine's
        // bare sort looks each item up linearly, so large lists sort once.
        double fill = 1e300, bareFill = 1e300, sort = 1e300, bareSort = 1e300, reportFill = 1e300, reportSort = 1e300;
        const int sortRounds = count > 10000 ? 1 : 3;
        for (int round = 0; round < 3; ++round) {
            // Both lists start empty: emptying them is not what is measured.
            ::SendMessageW(bare, LVM_DELETEALLITEMS, 0, 0);
            ::SendMessageW(snapIn.List(), LVM_DELETEALLITEMS, 0, 0);
            if (round % 2) fill = std::min(fill, Time([&] { snapIn.Fill(rows); }));
            bareFill = std::min(bareFill, Time([&] { BareFill(bare, rows); }));
            if (round % 2 == 0) fill = std::min(fill, Time([&] { snapIn.Fill(rows); }));
            report.RemoveSort();
            report.Clear();
            reportFill = std::min(reportFill, Time([&] { report.Fill(keys); }));
            if (round >= sortRounds) continue;
            reportSort = std::min(reportSort, Time([&] { report.SortBy(0, true); }));
            sort = std::min(sort, Time([&] { snapIn.SortBy(snapIn.List(), 0, true); }));
            bareSort = std::min(bareSort, Time([&] {
                ::SendMessageW(bare, LVM_SORTITEMSEX, reinterpret_cast<WPARAM>(bare),
                               reinterpret_cast<LPARAM>(BareCompare));
            }));
        }
        std::printf("%8d %12.1f %12.1f %12.1f %6.2f %12.1f %12.1f %12.1f %6.2f\n", count, fill, reportFill, bareFill,
                    reportFill / bareFill, sort, reportSort, bareSort, reportSort / bareSort);
        std::fflush(stdout);
        DestroyWindow(bare);
        DestroyWindow(report.Handle());
    }
    return 0;
}
