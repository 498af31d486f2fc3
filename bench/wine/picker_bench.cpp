// Timing of the account picker under Wine: a domain of 100,000 accounts in
// pages of 1,000 listed and sorted by name through the real dialog, against
// a bare list-view fill and sort of the same rows in the same run; then the
// same domain chosen again from the picker's cache. Run by hand:
//   build/windows/wine-run build/windows/bin/picker_bench.exe [runs]
// The machine's answers are made before the clock starts, so that only the
// picker's own work (parsing, caching, the list) is timed.
#include "bench/wine/WallClock.h"
#include "TestListSnapIn.h"
#include "framework/SnapInBase.h"
#include "framework/model/Answer.h"
#include "framework/text/Base64.h"
#include "framework/text/TextCompare.h"
#include "framework/xml/Xml.h"
#include "remote/RemoteMachine.h"
#include "snapins/picker/AccountPicker.h"
#include "snapins/picker/PickerIds.h"
#include "snapins/picker/model/Protocol.h"
#include "tests/host/TestHost.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

using vantrel::host::Message;
namespace wire = vantrel::picker::protocol;
constexpr int32_t kOwnerId = 15006;
constexpr wchar_t kDomain[] = L"NORDWERK";

using vantrel::bench::Milliseconds;
using vantrel::bench::Time;

class BenchOwner final : public vantrel::CSnapInBase {
public:
    explicit BenchOwner(ISnapInHost* host) : CSnapInBase(host), pickers_(*this) {}
    ~BenchOwner() override { DestroySnapInWindow(); }
    int32_t VANTREL_CALL GetSnapInId() override { return kOwnerId; }
    HWND VANTREL_CALL Create(HWND parent) override { return CreateSnapInWindow(parent); }
    vantrel::CAccountPickers& Pickers() { return pickers_; }

protected:
    void HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) override {
        if (command == wire::kAccountCommand) pickers_.OnAnswer(answer, root);
    }

private:
    vantrel::CAccountPickers pickers_;
};

// Every answer of the listing, made once: (type, domain, StartAt) -> answer.
using Key = std::tuple<int16_t, std::string, int32_t>;

std::map<Key, std::unique_ptr<Message>> MakeAnswers(vantrel::remote::RemoteMachine& machine) {
    std::map<Key, std::unique_ptr<Message>> answers;
    const std::string domain = vantrel::EncodeUtf16Base64(u"NORDWERK");
    for (int16_t type : {wire::kTypeGroups, wire::kTypeUsers}) {
        for (int32_t start = 0;;) {
            Message request(wire::kAccountCommand, kOwnerId, 1);
            request.Root().ChildNode(wire::kNetworkTypeNode).SetShort(type);
            request.Root().ChildNode(wire::kStartAtNode).SetLong(start);
            request.Root().ChildNode(wire::kDomainNameNode).SetText(domain);
            auto answer = machine.Answer(request);
            vantrel::CXmlElement root;
            vantrel::ParseAnswer(answer->Root().ChildNode(type == wire::kTypeGroups ? "Groups" : "Users").Text(), root);
            const int64_t upTo = vantrel::ReadInt64(root, "UpTo");
            const int64_t total = vantrel::ReadInt64(root, "Total");
            answers[{type, domain, start}] = std::move(answer);
            if (upTo >= total) break;
            start = static_cast<int32_t>(upTo);
        }
    }
    return answers;
}

// ---- the reference: the same rows, decoded, in a bare list, sorted by name ----

struct Row {
    std::wstring name, fullName, description;
};

std::vector<Row> RowsOf(const std::map<Key, std::unique_ptr<Message>>& answers) {
    std::vector<Row> rows;
    for (const auto& [key, answer] : answers) {
        const bool groups = std::get<0>(key) == wire::kTypeGroups;
        vantrel::CXmlElement root;
        vantrel::ParseAnswer(answer->Root().Find(groups ? "Groups" : "Users")->Text(), root);
        for (int i = 0; i < root.GetChildCount(); ++i) {
            const vantrel::CXmlElement& element = *root.GetChild(i);
            auto text = [&](const char* name) {
                const std::u16string value = vantrel::ReadText(element, name);
                return std::wstring(value.begin(), value.end());
            };
            rows.push_back({text(groups ? "GroupName" : "UserName"), text(groups ? "GroupFullName" : "UserFullName"),
                            text(groups ? "GroupDescr" : "UserDescr")});
        }
    }
    return rows;
}

int CALLBACK CompareRowNames(LPARAM a, LPARAM b, LPARAM context) {
    const auto& rows = *reinterpret_cast<const std::vector<Row>*>(context);
    const std::wstring& x = rows[static_cast<size_t>(a)].name;
    const std::wstring& y = rows[static_cast<size_t>(b)].name;
    return vantrel::CompareNoCase(std::u16string_view(reinterpret_cast<const char16_t*>(x.data()), x.size()),
                                  std::u16string_view(reinterpret_cast<const char16_t*>(y.data()), y.size()));
}

double BareFillAndSort(HWND parent, std::vector<Row>& rows) {
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 600, 400, parent,
                                nullptr, nullptr, nullptr);
    for (int i = 0; i < 3; ++i) {
        LVCOLUMNW column = {};
        column.mask = LVCF_WIDTH;
        column.cx = 100;
        ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    const double ms = Time([&] {
        ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        for (size_t r = 0; r < rows.size(); ++r) {
            LVITEMW item = {};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = static_cast<int>(r);
            item.pszText = rows[r].name.data();
            item.lParam = static_cast<LPARAM>(r);
            const int index = static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
            LVITEMW sub = {};
            sub.iSubItem = 1;
            sub.pszText = rows[r].fullName.data();
            ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&sub));
            sub.iSubItem = 2;
            sub.pszText = rows[r].description.data();
            ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&sub));
        }
        ::SendMessageW(list, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&rows), reinterpret_cast<LPARAM>(&CompareRowNames));
        ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    });
    DestroyWindow(list);
    return ms;
}

// ---- the picker ----

void ChooseDomain(HWND dialog, const wchar_t* name) {
    HWND combo = GetDlgItem(dialog, IDC_PICKER_DOMAINS);
    const auto index = ::SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PICKER_DOMAINS, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void ClickHeader(HWND dialog, int column) {
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = GetDlgItem(dialog, IDC_PICKER_ACCOUNTS);
    click.hdr.idFrom = IDC_PICKER_ACCOUNTS;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    ::SendMessageW(dialog, WM_NOTIFY, IDC_PICKER_ACCOUNTS, reinterpret_cast<LPARAM>(&click));
}

struct PickerTimes {
    double fill = 0, sort = 0, again = 0, resorted = 0;
    int rows = 0;
    bool sorted = false;
};

}  // namespace

int main(int argc, char** argv) {
    vantrel::test::StartModuleInThisProcess();
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

    vantrel::remote::MachineConfig config;
    config.scale = 100;
    config.pageSize = 1000;
    vantrel::remote::RemoteMachine machine(config);
    const auto answers = MakeAnswers(machine);
    std::vector<Row> rows = RowsOf(answers);
    std::printf("domain %ls: %zu accounts in %zu pages of %d\n", kDomain, rows.size(), answers.size(), config.pageSize);

    vantrel::test::TestHost host;
    BenchOwner owner(&host);
    host.Adopt(&owner);
    host.AnswerWith(
        [&](const Message& request) {
            const auto* type = request.Root().Find(wire::kNetworkTypeNode);
            const auto* start = request.Root().Find(wire::kStartAtNode);
            const auto* domain = request.Root().Find(wire::kDomainNameNode);
            if (type && start && domain) {
                const auto found = answers.find({type->AsShort(), domain->Text(), start->AsLong()});
                if (found != answers.end()) return found->second->Clone();
            }
            return machine.Answer(request);
        },
        0);
    auto idle = [&] { return host.BusyDepth() == 0 && host.PendingAnswers() == 0; };

    for (int run = 0; run < runs; ++run) {
        PickerTimes times;
        host.OnDialog([&](HWND dialog, const vantrel::test::CapturedDialog&) {
            host.PumpUntil(idle, 60000);
            HWND list = GetDlgItem(dialog, IDC_PICKER_ACCOUNTS);
            times.fill = Time([&] {
                ChooseDomain(dialog, kDomain);
                host.PumpUntil(idle, 60000);
            });
            times.rows = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
            times.sort = Time([&] { ClickHeader(dialog, 0); });
            const std::wstring first = vantrel::test::ListViewText(list, 0, 0);
            const std::wstring second = vantrel::test::ListViewText(list, 1, 0);
            times.sorted = _wcsicmp(first.c_str(), second.c_str()) <= 0;
            ChooseDomain(dialog, L"WS-KLEE07");
            times.again = Time([&] { ChooseDomain(dialog, kDomain); });
            // Sorted by another column meanwhile: the cached rows are sorted anew.
            ChooseDomain(dialog, L"WS-KLEE07");
            ClickHeader(dialog, 1);
            times.resorted = Time([&] { ChooseDomain(dialog, kDomain); });
            return IDCANCEL;
        });
        owner.Pickers().Choose(owner.GetWindow(), 10);
        host.PumpUntil(idle, 60000);
        const double bare = BareFillAndSort(host.Content(), rows);
        const double picker = times.fill + times.sort;
        std::printf("run %d: picker fill %.0f ms + sort %.0f ms = %.0f ms (%d rows%s); bare fill and sort %.0f ms; "
                    "ratio %.2f; from the cache %.0f ms (sorted anew %.0f ms)\n",
                    run + 1, times.fill, times.sort, picker, times.rows, times.sorted ? ", sorted" : ", NOT SORTED", bare,
                    picker / bare, times.again, times.resorted);
    }
    return 0;
}
