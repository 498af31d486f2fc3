// What the benchmark programs under Wine share: the clocks, and the bare list
// view that the references fill, the least any list must do.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>

namespace vantrel::bench {

// Milliseconds of the performance counter from some fixed point.
inline double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / frequency;
}

// The processor time of this thread, in milliseconds: the machine these run
// on is shared, and waiting for a processor is not work.
inline double ThreadTime() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    const auto ticks = [](FILETIME time) { return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime; };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

// Milliseconds that work takes.
template <typename Work>
double Time(Work&& work) {
    const double start = Now();
    work();
    return Now() - start;
}

// The fastest of some rounds of work.
template <typename Work>
double Best(int rounds, Work&& work) {
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) best = std::min(best, Time(work));
    return best;
}

// A report list view of `columns` columns, 100 pixels each.
inline HWND BareReportList(HWND parent, int columns, int width = 800, int height = 600) {
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, width, height,
                                parent, nullptr, nullptr, nullptr);
    for (int i = 0; i < columns; ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_WIDTH;
        column.cx = 100;
        ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    return list;
}

// Inserts a row at `index` with one text a column, as the references do.
inline int InsertBareRow(HWND list, int index, std::initializer_list<const wchar_t*> texts, LPARAM key) {
    const wchar_t* const* text = texts.begin();
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = index;
    item.pszText = const_cast<wchar_t*>(texts.size() ? text[0] : L"");
    item.lParam = key;
    const int row = static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    for (size_t column = 1; column < texts.size(); ++column) {
        LVITEMW sub = {};
        sub.iSubItem = static_cast<int>(column);
        sub.pszText = const_cast<wchar_t*>(text[column]);
        ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&sub));
    }
    return row;
}

}  // namespace vantrel::bench
