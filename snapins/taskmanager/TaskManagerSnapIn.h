// Task Manager: the managed machine's applications, its processes and the
// threads of the selected process; start a program there, end an application
// or a process.
#pragma once

#include "framework/ListingChain.h"
#include "framework/ReportList.h"
#include "framework/SnapInBase.h"
#include "framework/Splitter.h"
#include "snapins/taskmanager/model/Protocol.h"
#include "snapins/taskmanager/model/TaskFormat.h"
#include "snapins/taskmanager/model/TaskModel.h"

#include <memory>
#include <optional>
#include <string>

namespace vantrel {

class CTaskManagerSnapIn final : public CSnapInBase, private IListingChainClient {
public:
    static constexpr int32_t kId = taskmanager::protocol::kSnapInId;

    explicit CTaskManagerSnapIn(ISnapInHost* host);
    ~CTaskManagerSnapIn() override;

    int32_t VANTREL_CALL GetSnapInId() override { return kId; }
    HWND VANTREL_CALL Create(HWND parent) override { return CreateWindowOnce(parent); }
    void VANTREL_CALL OnFirstActivate() override;
    void VANTREL_CALL SaveViewSettings() override;
    void VANTREL_CALL UpdateCommands() override;
    BOOL VANTREL_CALL OnContextMenuKey() override;
    BOOL VANTREL_CALL OnToolTipTextA(UINT id, NMTTDISPINFOA* info) override;
    BOOL VANTREL_CALL OnToolTipTextW(UINT id, NMTTDISPINFOW* info) override;

protected:
    SuccessValue RetValueSuccess() const override { return SuccessValue::Zero; }
    void HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) override;
    void OnCreateWindow() override;
    void OnCommand(UINT command) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnListContextMenu(CReportList& list, POINT screen) override;

private:
    enum class Tab { Applications = 0, Processes = 1 };
    // The three lists of the refresh chain, in the order they run.
    enum class Chain : size_t { Applications, Processes, Threads };
    class ApplicationsList;
    class ProcessesList;
    class ThreadsList;

    // ---- window ----
    void CreateApplicationsList();
    void CreateProcessesPage();
    void LayoutMainDialog() override;
    void OnMainDialogDestroyed() override;
    Tab CurrentTab() const;
    void ShowTab(Tab tab);
    CReportList& ListOfTab(Tab tab);
    void ReadLocaleTexts();

    // ---- the refresh chain ----
    void Refresh();
    void StartChain();
    // IListingChainClient; `link` is a Chain.
    void OnChainListingStarted(size_t link) override;
    bool MergeChainPage(size_t link, const CXmlElement& root) override;
    void OnChainListingEnded(size_t link, ListingEnd end) override;
    bool CanShowChain() const override { return dialog_ != nullptr; }
    void ShowProcessStatus();
    void FillThreadsOfSelection(bool always);

    // ---- commands ----
    void NewTask();
    void EndSelected();
    bool Confirm(Tab tab);
    void SendEndTask(uint32_t window);
    void SendEndProcess(uint32_t processId);
    void OnCommandAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root);
    void ShowMenu(HMENU popup, POINT screen);
    void UpdateMenuItems(HMENU menu);
    std::optional<LPARAM> SelectedOfTab(Tab tab) const;

    // ---- settings ----
    ISettingsList* SettingsSection();

    HWND dialog_ = nullptr;
    HWND tabs_ = nullptr;
    CSplitter splitter_;
    taskmanager::ApplicationStore applications_;
    taskmanager::ProcessStore processes_;
    taskmanager::CellContext cells_;
    std::unique_ptr<ApplicationsList> applicationsSource_;
    std::unique_ptr<ProcessesList> processesSource_;
    std::unique_ptr<ThreadsList> threadsSource_;
    CReportList applicationsList_;
    CReportList processesList_;
    CReportList threadsList_;
    CListingChain chain_;
    // The process whose threads the threads list shows.
    std::optional<uint32_t> threadsShownOf_;
    int splitterPosition_ = kCentredSplit;
    // Gone with this object: what runs after a modal loop checks it first.
    std::shared_ptr<bool> lifetime_ = std::make_shared<bool>(true);
};

}  // namespace vantrel
